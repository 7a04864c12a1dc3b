// "Cmp Log files", "Compare Accuracy", "cmp Image" and "Make Error Image!":
// the comparisons of results (drivers in evaluation/).
#include <FL/Fl.H>
#include <GL/gl.h>

#include "FrameBuffer.h"
#include "ImageComparison.h"
#include "LogComparison.h"
#include "Scene.h"
#include "WorkLayout.h"

void Scene::CompareLogs() {
  CompareLogFiles(layout::kLogA, layout::kLogB, layout::kLogsOverall, layout::kLogsPerStep,
                  *output, *errors);
}

void Scene::CompareRenderings() {
  FrameBuffer& window = *views.viewWindow;
  const size_t n = size_t(window.w) * size_t(window.h);
  // The first rendering (render mode 4, which draws only the cleared
  // background) with its depths; then the item-buffer rendering. A
  // rendering that cannot be read back would compare stale pixels: the
  // comparison stops and the view keeps its mode.
  const int mode = window.renderMode;
  auto capture = [&](int renderMode, bool depth) {
    window.renderMode = renderMode;
    if (window.Capture(depth)) return true;
    window.renderMode = mode;
    *errors << "ERROR: \"Compare Accuracy\": the view window did not draw mode " << renderMode
            << "; nothing compared" << std::endl;
    return false;
  };
  window.show();
  if (!capture(4, true)) return;
  std::vector<uint32_t> first(window.pixels.begin(), window.pixels.begin() + long(n));
  std::vector<float> firstDepth(window.zBuffer.begin(), window.zBuffer.begin() + long(n));
  if (!capture(render_mode::kItemBuffer, false)) return;
  // compareBuffer is the depth the pre-test compares with; nothing writes
  // it, so it holds the zeros of construction and the test passes wherever
  // the first rendering has a depth other than 0.
  if (buffers.compareBuffer.size() < n) buffers.compareBuffer.resize(n, 0.0f);
  const int64_t count =
      MarkRenderingDifferences(first.data(), firstDepth.data(), buffers.compareBuffer.data(),
                               window.pixels.data(), n, settings.compareTolerance);
  *errors << "OUTPUT test:" << std::endl;
  *errors << "Different sample count:" << count << std::endl;
  // Show the marked rendering until the next redraw.
  window.make_current();
  glWindowPos2i(0, 0);
  window.ShowPixels();
  window.swap_buffers();
  Fl::check();
  window.renderMode = render_mode::kItemBufferSecond;
}

void Scene::CompareImageSequences() { ::CompareImageSequences(*output, *errors); }

void Scene::MakeErrorImages() { ::MakeErrorImages(*output, *errors); }
