// The render dispatcher: the view window's draw. Makes sure the offscreen
// targets exist, clears to the sky, runs the pass of the window's render
// mode, then records the frame when asked.
#include <FL/Fl.H>
#include <FL/gl.h>

#include <algorithm>

#include "Format.h"
#include "FrameBuffer.h"
#include "ObjLoader.h"
#include "ParticleSet.h"
#include "RenderPasses.h"
#include "Scene.h"
#include "SceneNumbers.h"
#include "TiffIO.h"

namespace {

namespace rm = render_mode;

// The point-scene view of render mode kPointMask: every point, the masked-out
// ones in red.
void PointMaskView(Scene& s, FrameBuffer& window) {
  std::fill(window.pixels.begin(), window.pixels.end(), 0xFFFFFFFFu);
  std::fill(window.zBuffer.begin(), window.zBuffer.end(), 0.0f);
  size_t n = size_t(window.w) * size_t(window.h);
  std::vector<int32_t>& ids = s.buffers.pointIdBuffer;
  if (ids.size() < n) ids.assign(n, -1);
  std::fill(ids.begin(), ids.begin() + long(n), -1);
  PassContext c = s.MakePassContext(window);
  if (c.points.points != nullptr && window.camera != nullptr)
    ParticleMaskView(c.points, window.pixels.data(), ids.data(), window.zBuffer.data(),
                     *window.camera, &s.buffers.pixelRays, float(s.loaded.radius), *c.out);
  glWindowPos2i(0, 0);
  window.ShowPixels();
}

}  // namespace

void Scene::DrawSky() { ClearToSky(); }

PassContext Scene::MakePassContext(FrameBuffer& window) {
  return ::MakePassContext(window, loaded, views, buffers, settings, *output, *errors);
}

PassContext MakePassContext(FrameBuffer& window, LoadedScene& loaded, SceneViews& views,
                            RunBuffers& buffers, const Settings& settings, std::ostream& out,
                            std::ostream& err) {
  PassContext c;
  c.window = &window;
  c.targets = &views.targets;
  c.shaders.itemBuffer = &views.shaders[SceneViews::kShaderItemBuffer];
  c.shaders.wtc = &views.shaders[SceneViews::kShaderWtc];
  c.shaders.manhattan = &views.shaders[SceneViews::kShaderManhattan];
  c.shaders.grass = &views.shaders[SceneViews::kShaderGrass];
  c.shaders.footage = &views.shaders[SceneViews::kShaderFootage];
  c.shaders.footageSp = &views.shaders[SceneViews::kShaderFootageSp];
  c.shaders.raster = &views.shaders[SceneViews::kShaderRaster];
  c.drawForm = loaded.drawForm;
  c.drawMesh = loaded.drawMesh;
  c.firstStates[0] = loaded.states.size() > 0 ? &loaded.states[0] : nullptr;
  c.firstStates[1] = loaded.states.size() > 1 ? &loaded.states[1] : nullptr;
  // An array not made yet means "every triangle".
  if (!buffers.drawFlags.empty()) c.drawFlags = IdMask(buffers.drawFlags);
  // The marks the footage views draw are the visible set of the current
  // run (Scene Setup of "WTC 911" makes it all ones for its setup view).
  if (!buffers.runVisibleSet.empty()) c.marks = IdMask(buffers.runVisibleSet);
  c.visibleFlags = &buffers.visibleFlags;
  c.readback = &buffers.readbackBuffer;
  c.itemBuffer = buffers.itemBuffer.data();
  c.lightDirection = views.lightDirection;
  c.backdropTexture = &views.backdropTexture;
  c.footageCamera = views.setupCamera ? views.setupCamera.get() : nullptr;
  c.footprint = &views.footprint;
  c.markedPosition = views.footprint.empty() ? nullptr : &views.markedPosition;
  c.renderingFactor = settings.renderingFactor;
  if (loaded.particleDrawState) {
    c.points.count = int32_t(loaded.particleDrawState->positions.size());
    c.points.points = loaded.particleDrawState->positions.data();
    if (loaded.particleDrawState->colors.size() == loaded.particleDrawState->positions.size())
      c.points.colours = loaded.particleDrawState->colors.data();
  }
  c.particleRadius = float(loaded.radius);
  size_t n = size_t(window.w) * size_t(window.h);
  if (buffers.pointIdBuffer.size() < n) buffers.pointIdBuffer.assign(n, -1);
  c.pointIds = buffers.pointIdBuffer.data();
  c.pixelRays = &buffers.pixelRays;
  c.out = &out;
  c.err = &err;
  return c;
}

void Scene::Render(FrameBuffer& window) {
  // 1. Offscreen targets (once), then the window's own framebuffer.
  views.targets.out = output;
  views.targets.err = errors;
  EnsureTargets(views.targets, window.w, window.h);
  BindWindow(views.targets);
  // 2. Sky background.
  DrawSky();

  // 3. The pass of the render mode; unknown codes, and every code before a
  // scene is loaded, show only the background.
  PassContext c = MakePassContext(window);
  const int mode = window.renderMode;
  // These modes end without the toolkit's event processing.
  const bool processEvents = mode != rm::kPointFootage && mode != rm::kPointMask &&
                             mode != rm::kTid && mode != rm::kFilled;
  const bool haveScene = loaded.baseMesh != nullptr || loaded.drawMesh != nullptr ||
                         loaded.particleDrawState != nullptr;
  if (views.truthDraw && haveScene) {
    if (!views.truthScratch) views.truthScratch = std::make_unique<TruthViewScratch>();
    TruthViewPass(c, loaded.StateMesh(views.currentState), views.truthScratch.get(),
                  &views.truthTimes);
  } else
    switch (haveScene || mode == rm::kMovingBoxes
                ? mode
                : rm::kBackground) {  // the moving boxes need no scene
      case rm::kItemBuffer:
        ItemBufferPass(c, loaded.StateMesh(views.currentState));
        break;
      case rm::kItemBufferSecond:
        ItemBufferPass(c, loaded.StateMesh(views.secondState));
        break;
      case rm::kShaded:
        ShadePass(c, views.playbackState != nullptr ? views.playbackState
                                                    : loaded.StateMesh(views.currentState));
        break;
      case rm::kVisibleSet:
        MarkVisiblePass(c);
        if (loaded.interpolation != 0)
          FootagePass(c, loaded.drawMesh, true);
        else
          FootagePass(c, loaded.StateMesh(views.currentState), false);
        break;
      case rm::kSuperPixelFootage:
        SuperPixelFootagePass(c);
        break;
      case rm::kPointFootage:
        FootagePass(c, loaded.drawMesh, true);
        break;
      case rm::kPointMask:
        PointMaskView(*this, window);
        break;
      case rm::kGrass:
        GrassPass(c);
        break;
      case rm::kPoints:
        PointPass(c);
        break;
      case rm::kTid:
        TidPass(c);
        break;
      case rm::kFilled: {
        IdMask flags(buffers.drawFlags);
        RasterPass(c, buffers.drawFlags.empty() ? nullptr : &flags);
        break;
      }
      case rm::kCityMeasurement:
        // The city scene's measurement view is its shaded view.
        c.drawForm = DrawForm::kCity;
        ShadePass(c, loaded.StateMesh(views.currentState));
        break;
      case rm::kFilledSoftware:
        SoftwareRasterView(window);
        break;
      case rm::kMovingBoxes:
        MovingBoxesPass(c, views.demoBoxes);
        break;
      default:
        break;
    }

  // 4. The frame a playback asked for, then frame recording.
  if (!views.pendingFrame.empty()) {
    window.ReadColor();
    WriteTiff(window.pixels.data(), views.pendingFrame, window.h, window.w, *errors);
    views.pendingFrame.clear();
  }
  if (views.recording) {
    std::string name = Format("%s%d.tif", views.recordPrefix.c_str(), views.recordCounter++);
    window.ReadColor();
    WriteTiff(window.pixels.data(), name, window.h, window.w, *errors);
  }
  if (processEvents) Fl::check();
}
