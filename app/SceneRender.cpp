// The render dispatcher: the view window's draw. Clears to the sky, runs the
// pass of the window's render mode, then records the frame when asked.
#include <FL/Fl.H>
#include <FL/gl.h>

#include "Format.h"
#include "FrameBuffer.h"
#include "Scene.h"
#include "TiffIO.h"

void Scene::DrawSky() {
  glEnable(GL_DEPTH_TEST);
  glClearColor(0.50980395f, 0.7921569f, 0.98039216f, 1.0f);  // RGB (130, 202, 250)
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void Scene::Render(FrameBuffer& window) {
  // 1. Offscreen targets are made by the passes that use them; draw into the
  // window's own framebuffer.
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  // 2. Sky background.
  DrawSky();

  // 3. The pass of the render mode. Codes without a pass yet (and unknown
  // codes) show only the background.
  bool processEvents = true;
  switch (window.renderMode) {
    case 1:       // item buffer of the current state
    case 5:       // item buffer of the second state
    case 10001:   // shaded playback state
    case 10113:   // visible-set footage
    case 10115:   // super-pixel footage
    case 30010:   // grass footage
    case 40000:   // "Point"
    case 40003:   // "Filled(Software)"
    case 50000:   // city scene measurement
    case 990002:  // moving-boxes demonstration
      break;
    case 10116:   // footage of drawMesh
    case 10117:   // point-set mask view
    case 40001:   // "TID"
    case 40002:   // "Filled"
      processEvents = false;
      break;
    default:
      break;
  }

  // 4. Frame recording.
  if (recording) {
    std::string name = Format("%s%d.tif", recordPrefix.c_str(), recordCounter++);
    window.ReadColor();
    WriteTiff(window.pixels.data(), name, window.h, window.w);
  }
  if (processEvents) Fl::check();
}
