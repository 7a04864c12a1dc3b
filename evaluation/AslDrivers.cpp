#include "AslDrivers.h"

#include "AslReference.h"
#include "AslRun.h"
#include "Format.h"
#include "ObjLoader.h"
#include "PointSceneRuns.h"
#include "PPC.h"
#include "SampleLocationBuffer.h"
#include "VisibleSetFrames.h"
#include "WorkLayout.h"

namespace {

AslRunContext Context(const AslButtonScene& s, SampleLocationBuffer& buffer) {
  AslRunContext run;
  run.buffer = &buffer;
  run.mesh = s.mesh;
  run.flags = s.flags;
  run.visible = s.visible;
  run.setIds = s.setIds;
  run.out = s.out;
  run.err = s.err;
  return run;
}

void Show(const std::function<void()>& f) {
  if (f) f();
}

// The sphere form on the drawn frame; the draw flags then hold the set, so
// the point view shows it.
void SphereRun(const AslButtonScene& s, const char* label, double factor,
               const std::string& path) {
  if (s.points.points == nullptr || s.points.count == 0) {
    *s.out << "\"" << label << "\": no point set is loaded" << std::endl;
    return;
  }
  SampleLocationBuffer& buffer = s.sampleBuffer(factor);
  s.visible->assign(size_t(s.points.count), 0);
  AslSpherePasses(buffer, {s.points.points, s.points.count}, s.radius, s.visible, path, *s.out,
                  *s.err);
  *s.flags = *s.visible;
  Show(s.redraw);
}

// The terrain's statistics and file name need one of its 2 x 4 screen
// tiles.
bool TileRefused(const AslButtonScene& s, const char* label) {
  if (s.tileColumn >= 0 && s.tileColumn <= 1 && s.tileRow >= 0 && s.tileRow <= 3) return false;
  *s.out << "\"" << label << "\": tile column " << s.tileColumn << " and row " << s.tileRow
         << " refused (\"View ID\" chooses the column 0 or 1, \"Type ID\" the row 0 to 3)"
         << std::endl;
  return true;
}

}  // namespace

void AslButton(const AslButtonScene& s) {
  const DatasetRow& row = *s.row;
  if (row.asl == AslForm::kSpheres) {
    SphereRun(s, "ASL", 1, AslResultPath(row, s.view));
    return;
  }
  const FileRef& stored = row.storedSets.For(s.view);
  if (!stored.Empty()) {
    // The view's stored sets, united.
    for (int i = 1; i <= row.storedSetCount; i++)
      ReadVisibleSet(*s.visible, Format(stored.Path().c_str(), i), i == 1, *s.out, *s.err);
    Show(s.showVisibleSet);
    return;
  }
  if (row.asl == AslForm::kAllTriangles && TileRefused(s, "ASL")) return;
  const AslRunContext run = Context(s, s.sampleBuffer(1));
  if (row.asl == AslForm::kAllTriangles) {
    AslTerrainRun(run, AslTileResultPath(row, s.view, s.tileColumn, s.tileRow), s.tileColumn,
                  s.tileRow);
    Show(s.showVisibleSet);
    return;
  }
  AslPlainRun(run, AslResultPath(row, s.view), layout::kPlainRunFlags);
  Show(s.showVisibleSet);
  WriteVisibleSetFrames(*s.mesh, *s.visible, *s.viewCamera, layout::ImageFolder("ASL"), 5, *s.out);
}

void AslWithFactorButton(const AslButtonScene& s, double factor) {
  const DatasetRow& row = *s.row;
  const PPC& view = *s.viewCamera;
  if (!(factor > 0) ||
      (!s.bufferMade && double(view.w) * view.h * factor * factor > kMaxBufferPixels)) {
    *s.out << "\"ASL with Factor\": factor " << factor
           << " refused (the sample buffer must have at least one and at most " << kMaxBufferPixels
           << " pixels)" << std::endl;
    return;
  }
  if (row.asl == AslForm::kSpheres) {
    SphereRun(s, "ASL with Factor", factor, AslFactorResultPath(row, s.view, factor));
    return;
  }
  if (row.asl == AslForm::kAllTriangles && TileRefused(s, "ASL with Factor")) return;
  const AslRunContext run = Context(s, s.sampleBuffer(factor));
  if (const char* base = row.panoramaCameras.For(s.view)) {
    std::vector<AslView> views;
    for (int i = 1; i <= row.panoramaViews; i++)
      views.push_back({layout::NumberedCamera(base, i), layout::PanoramaResult(i - 1)});
    AslPanoramaRun(run, views, s.viewCamera);
  } else if (row.asl == AslForm::kAllTriangles) {
    AslTerrainRun(run, AslTileResultPath(row, s.view, s.tileColumn, s.tileRow), s.tileColumn,
                  s.tileRow);
  } else {
    AslFactorRun(run, AslFactorResultPath(row, s.view, factor));
  }
  Show(s.showVisibleSet);
}

void AslControlButton(const AslButtonScene& s) {
  const DatasetRow& row = *s.row;
  std::vector<int32_t>& flags = *s.flags;
  // Every form starts by making the buffer at the view's size, so that a
  // later factor run keeps that size.
  s.sampleBuffer(1);
  switch (row.control) {
    case ControlForm::kPoints:
      *s.out << "Radius is " << s.radius << std::endl;
      if (s.points.points == nullptr || s.points.count == 0) {
        *s.out << "\"ASL Control\": no point set is loaded" << std::endl;
        return;
      }
      ParticleReference(s.points, *s.viewCamera, s.radius, flags, s.visible,
                        row.controlResult.For(s.view).Path(), *s.out);
      return;
    case ControlForm::kRaster:
      AslReference(*s.mesh, *s.viewCamera, row.controlFactor, flags, s.visible,
                   row.controlResult.For(s.view).Path(), *s.out);
      break;
    case ControlForm::kRasterEachView: {
      // Each view starts from the flags the scene had, not from the set the
      // view before left in them.
      const std::vector<int32_t> initial = flags;
      for (const ControlView& v : row.controlViews) {
        PPC cam = *s.viewCamera;
        if (!cam.Load(v.camera, *s.err)) {
          *s.err << "ERROR: could not read camera " << layout::CameraFile(v.camera)
                 << "; view skipped" << std::endl;
          continue;
        }
        cam.Resize(s.viewCamera->w, s.viewCamera->h);
        flags = initial;
        AslReference(*s.mesh, cam, row.controlFactor, flags, s.visible, v.output.Path(), *s.out);
      }
      break;
    }
    case ControlForm::kCentreSamples:
      CentreSampleReference(Context(s, s.sampleBuffer(1)), CentreSampleResultPath(row, s.view),
                            layout::kCentreSampleImage);
      break;
  }
  if (row.redrawAfterControl) Show(s.showVisibleSet);  // the view shows only the visible set
  const std::string frames = layout::ImageFolder("Control");
  if (row.controlFrames == ControlFrames::kDrawFlags)
    WriteVisibleSetFrames(*s.mesh, flags, *s.viewCamera, frames, 5, *s.out);
  if (row.controlFrames == ControlFrames::kVisibleSet)
    WriteVisibleSetFrames(*s.mesh, *s.visible, *s.viewCamera, frames, 5, *s.out);
}
