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
  if (s.pointIdBuffer.size() < n) s.pointIdBuffer.assign(n, -1);
  std::fill(s.pointIdBuffer.begin(), s.pointIdBuffer.begin() + long(n), -1);
  PassContext c = s.MakePassContext(window);
  if (c.points.points != nullptr && window.camera != nullptr)
    ParticleMaskView(c.points, window.pixels.data(), s.pointIdBuffer.data(), window.zBuffer.data(),
                     *window.camera, &s.pixelRays, float(s.radius), *c.out);
  glWindowPos2i(0, 0);
  window.ShowPixels();
}

}  // namespace

void Scene::DrawSky() { ClearToSky(); }

ObjLoader* Scene::StateMesh(int index) {
  if (index < 0 || index >= stateCount || size_t(index) >= states.size()) return nullptr;
  return &states[size_t(index)];
}

PassContext Scene::MakePassContext(FrameBuffer& window) {
  PassContext c;
  c.window = &window;
  c.targets = &targets;
  c.shaders.itemBuffer = &shaders[kShaderItemBuffer];
  c.shaders.wtc = &shaders[kShaderWtc];
  c.shaders.manhattan = &shaders[kShaderManhattan];
  c.shaders.grass = &shaders[kShaderGrass];
  c.shaders.footage = &shaders[kShaderFootage];
  c.shaders.footageSp = &shaders[kShaderFootageSp];
  c.shaders.raster = &shaders[kShaderRaster];
  c.sceneId = sceneId;
  c.drawMesh = drawMesh;
  c.firstStates[0] = states.size() > 0 ? &states[0] : nullptr;
  c.firstStates[1] = states.size() > 1 ? &states[1] : nullptr;
  // An array not made yet means "every triangle".
  if (!drawFlags.empty()) c.drawFlags = IdMask(drawFlags);
  // The marks the footage views draw are the visible set of the current
  // run (Scene Setup of "WTC 911" makes it all ones for its setup view).
  if (!runVisibleSet.empty()) c.marks = IdMask(runVisibleSet);
  c.visibleFlags = &visibleFlags;
  c.readback = &readbackBuffer;
  c.itemBuffer = itemBuffer.data();
  c.lightDirection = lightDirection;
  c.backdropTexture = &backdropTexture;
  c.footageCamera = setupCamera ? setupCamera.get() : nullptr;
  c.footprint = &footprint;
  c.markedPosition = footprint.empty() ? nullptr : &markedPosition;
  c.renderingFactor = renderingFactor;
  if (particleDrawState) {
    c.points.count = int32_t(particleDrawState->positions.size());
    c.points.points = particleDrawState->positions.data();
    if (particleDrawState->colors.size() == particleDrawState->positions.size())
      c.points.colours = particleDrawState->colors.data();
  }
  c.particleRadius = float(radius);
  size_t n = size_t(window.w) * size_t(window.h);
  if (pointIdBuffer.size() < n) pointIdBuffer.assign(n, -1);
  c.pointIds = pointIdBuffer.data();
  c.pixelRays = &pixelRays;
  c.out = output;
  c.err = errors;
  return c;
}

void Scene::Render(FrameBuffer& window) {
  // 1. Offscreen targets (once), then the window's own framebuffer.
  targets.out = output;
  targets.err = errors;
  EnsureTargets(targets, window.w, window.h);
  BindWindow(targets);
  // 2. Sky background.
  DrawSky();

  // 3. The pass of the render mode; unknown codes, and every code before a
  // scene is loaded, show only the background.
  PassContext c = MakePassContext(window);
  const int mode = window.renderMode;
  // These modes end without the toolkit's event processing.
  const bool processEvents = mode != rm::kPointFootage && mode != rm::kPointMask &&
                             mode != rm::kTid && mode != rm::kFilled;
  const bool loaded = baseMesh != nullptr || drawMesh != nullptr || particleDrawState != nullptr;
  if (truthDraw && loaded) {
    if (!truthScratch) truthScratch = std::make_unique<TruthViewScratch>();
    TruthViewPass(c, StateMesh(currentState), truthScratch.get(), &truthTimes);
  } else switch (loaded || mode == rm::kMovingBoxes ? mode : rm::kBackground) {  // the moving boxes need no scene
    case rm::kItemBuffer:
      ItemBufferPass(c, StateMesh(currentState));
      break;
    case rm::kItemBufferSecond:
      ItemBufferPass(c, StateMesh(secondState));
      break;
    case rm::kShaded:
      ShadePass(c, playbackState != nullptr ? playbackState : StateMesh(currentState));
      break;
    case rm::kVisibleSet:
      MarkVisiblePass(c);
      if (interpolation != 0)
        FootagePass(c, drawMesh, true);
      else
        FootagePass(c, StateMesh(currentState), false);
      break;
    case rm::kSuperPixelFootage:
      SuperPixelFootagePass(c);
      break;
    case rm::kPointFootage:
      FootagePass(c, drawMesh, true);
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
      IdMask flags(drawFlags);
      RasterPass(c, drawFlags.empty() ? nullptr : &flags);
      break;
    }
    case rm::kCityMeasurement:
      // The city scene's measurement view is its shaded view.
      c.sceneId = dataset::kManhattan;
      ShadePass(c, StateMesh(currentState));
      break;
    case rm::kFilledSoftware:
      SoftwareRasterView(window);
      break;
    case rm::kMovingBoxes:
      MovingBoxesPass(c, demoBoxes);
      break;
    default:
      break;
  }

  // 4. The frame a playback asked for, then frame recording.
  if (!pendingFrame.empty()) {
    window.ReadColor();
    WriteTiff(window.pixels.data(), pendingFrame, window.h, window.w, *errors);
    pendingFrame.clear();
  }
  if (recording) {
    std::string name = Format("%s%d.tif", recordPrefix.c_str(), recordCounter++);
    window.ReadColor();
    WriteTiff(window.pixels.data(), name, window.h, window.w, *errors);
  }
  if (processEvents) Fl::check();
}
