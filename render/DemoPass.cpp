// Render mode kMovingBoxes: the boxes of the moving-boxes demonstration,
// flat-lit, on white.
#include <GL/gl.h>

#include <algorithm>

#include "PassSupport.h"
#include "RenderPasses.h"

void MovingBoxesPass(PassContext& c, const std::vector<ColouredSurface>& boxes) {
  pass::Begin(1, 1, 1, 1);
  if (!pass::SetCamera(c)) return;
  glDisable(GL_LIGHTING);
  glDisable(GL_CULL_FACE);
  const Vex3_quarn towardsLight = -c.lightDirection.Normalized();
  glBegin(GL_TRIANGLES);
  for (const ColouredSurface& box : boxes) {
    const float r = float(box.colour & 0xff) / 255, g = float((box.colour >> 8) & 0xff) / 255,
                b = float((box.colour >> 16) & 0xff) / 255;
    const std::vector<Vex3_quarn>& p = box.mesh.positions;
    const std::vector<uint32_t>& t = box.mesh.triangles;
    for (size_t k = 0; k + 2 < t.size(); k += 3) {
      if (t[k] >= p.size() || t[k + 1] >= p.size() || t[k + 2] >= p.size()) continue;
      const Vex3_quarn &a = p[t[k]], &bb = p[t[k + 1]], &cc = p[t[k + 2]];
      const Vex3_quarn n = (bb - a).Cross(cc - a).Normalized();
      const float light = 0.3f + 0.7f * std::max(0.0f, n.Dot(towardsLight));
      glColor3f(r * light, g * light, b * light);
      glVertex3fv(&a.x);
      glVertex3fv(&bb.x);
      glVertex3fv(&cc.x);
    }
  }
  glEnd();
}
