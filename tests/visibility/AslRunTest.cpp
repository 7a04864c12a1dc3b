// The forms of the ASL run and the references on a small view: files,
// flags and the scene-specific rules.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <set>
#include <sstream>
#include <tuple>

#include "AslReference.h"
#include "AslRun.h"
#include "PPC.h"
#include "Surfaces.h"
#include "TestSupport.h"
#include "TiffIO.h"
#include "TriangleSoup.h"
#include "WorkFolders.h"
#include "WorkLayout.h"

namespace {

using Ids = std::vector<int32_t>;

struct Fixture {
  ScratchDir dir;
  PPC cam{55, 64, 48};
  ObjLoader mesh;
  SampleLocationBuffer buffer{64, 48};
  std::vector<int32_t> flags;
  VisibleSet visible;
  std::ostringstream log;
  AslRunContext run;

  // Triangles 0-3 in view (3 hidden behind 0), 4 far left of the view.
  Fixture() {
    MakeFolder(layout::FolderName(layout::Folder::kResults));
    const float z = -3 * cam.zNear;
    auto tri = [](Vex3_quarn c, float s) {
      return std::array<Vex3_quarn, 3>{c, c + Vex3_quarn(s, 0, 0), c + Vex3_quarn(0, s, 0)};
    };
    BuildMesh(mesh, {{tri({-60, -40, z}, 60), tri({20, -40, z}, 30)},
                     {tri({20, 20, z}, 20), tri({-50, -30, z - 50}, 20),
                      tri({-100 * cam.zNear, 0, z}, 20)}});
    cam.SetGLAndCache();
    buffer.SetCamera(cam);
    flags.assign(5, 1);
    visible.assign(5, 0);
    run.buffer = &buffer;
    run.mesh = &mesh;
    run.flags = &flags;
    run.visible = &visible;
    run.out = &log;
  }
};

}  // namespace

TEST(AslRun, FactorRunCullsReportsAndWrites) {
  Fixture f;
  AslRunReport r;
  std::ostringstream err;
  f.run.err = &err;
  // Everything goes to the streams the run was given.
  const Console console =
      ConsoleOf([&] { r = AslFactorRun(f.run, layout::AslFactorResult("Forest_ASL_exp", 2)); });
  EXPECT_EQ(console.out + console.err, "");
  const std::string out = f.log.str();
  EXPECT_NE(err.str().find("INFO: sls per pixel: min: "), std::string::npos) << err.str();
  EXPECT_EQ(r.culled, 1);
  EXPECT_GT(r.averageArea, 10);
  EXPECT_NE(f.log.str().find("Culled out: 1\n"), std::string::npos);
  EXPECT_NE(f.log.str().find("Average area of triangle is "), std::string::npos);
  EXPECT_NE(f.log.str().find("4/4 processed"), std::string::npos);
  EXPECT_NE(out.find("3 visible triangle detected!\n"), std::string::npos) << out;
  EXPECT_NE(out.find("3 visible triangle detected and saved!\n"), std::string::npos);
  EXPECT_EQ(ReadIdFile("ASL_Visibility/Forest_ASL_exp_X2.000000_.bin"),
            (Ids{0, 1, 2}));
  EXPECT_EQ(f.flags, (Ids{1, 1, 1, 1, 0}));
  EXPECT_EQ(f.visible, (VisibleSet{1, 1, 1, 0, 0}));
}

TEST(AslRun, PlainRunTakesItsFlagsFromTheOverrideFile) {
  Fixture f;
  WriteIdFile("ASL_Visibility/Whoknowswhat_2.bin", {1, 3});
  Quiet([&] { AslPlainRun(f.run, layout::AslResult("Whoknowswhat"), layout::kPlainRunFlags); });
  // Only 1 and 3 are processed, and 3 is no longer hidden by 0.
  EXPECT_EQ(f.flags, (Ids{0, 1, 0, 1, 0}));
  EXPECT_EQ(ReadIdFile("ASL_Visibility/Whoknowswhat.bin"), (Ids{1, 3}));
}

TEST(AslRun, TerrainRunTakesEveryTriangleAndReportsTheTile) {
  Fixture f;
  f.flags.assign(5, 0);  // ignored by this form
  f.run.setIds = SetIds::kFirstGroupIds;
  std::ostringstream stream;
  f.run.err = &stream;
  Quiet([&] { AslTerrainRun(f.run, "ASL_Visibility/RTI_ASL_exp_90DegreeView_1_2.bin", 1, 2); });
  const std::string err = stream.str();
  EXPECT_NE(err.find("INFO: sls per pixel: min: "), std::string::npos);
  EXPECT_EQ(ReadIdFile("ASL_Visibility/RTI_ASL_exp_90DegreeView_1_2.bin"),
            (Ids{0, 1, 2}));
  EXPECT_EQ(f.flags, Ids(5, 0));
}

TEST(AslRun, PanoramaWritesOneSetPerCameraAndSkipsMissingOnes) {
  Fixture f;
  MakeFolder(layout::CameraFile(layout::FinalView("")));
  PPC left = f.cam, right = f.cam;
  left.Pan(20);
  right.Pan(-20);
  ASSERT_TRUE(f.cam.SaveToFile("Views/Final_views/Pano_1.ppc"));
  ASSERT_TRUE(left.SaveToFile("Views/Final_views/Pano_2.ppc"));
  ASSERT_TRUE(right.SaveToFile("Views/Final_views/Pano_4.ppc"));
  PPC raster;
  std::vector<AslView> views;
  for (int i = 1; i <= 5; i++)
    views.push_back({layout::NumberedCamera("Final_views/Pano", i), layout::PanoramaResult(i - 1)});
  std::ostringstream err;
  f.run.err = &err;
  Quiet([&] { AslPanoramaRun(f.run, views, &raster); });
  std::string errors;
  std::istringstream lines(err.str());
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("ERROR", 0) == 0) errors += line + "\n";
  EXPECT_EQ(errors,
            "ERROR: could not read camera Views/Final_views/Pano_3.ppc; view 3 skipped\n"
            "ERROR: could not read camera Views/Final_views/Pano_5.ppc; view 5 skipped\n");
  EXPECT_EQ(ReadIdFile("ASL_Visibility/ASL_exp_panorama_0.bin"), (Ids{0, 1, 2}));
  EXPECT_TRUE(FileExists("ASL_Visibility/ASL_exp_panorama_1.bin"));
  EXPECT_FALSE(FileExists("ASL_Visibility/ASL_exp_panorama_2.bin"));
  EXPECT_TRUE(FileExists("ASL_Visibility/ASL_exp_panorama_3.bin"));
  // The last camera read is the raster camera; the buffer was Reset.
  EXPECT_NEAR(raster.a.x, right.a.x, 1e-5);
  for (const PixelSamples& p : f.buffer.pixels) ASSERT_EQ(p.count, 1);
}

TEST(AslReference, MarksBackFacesCullsAndFindsTheVisible) {
  Fixture f;
  const ReferenceReport r = Quiet(
      [&] { return AslReference(f.mesh, f.cam, 4, f.flags, &f.visible, "ASL_Visibility/ref.bin", f.log); });
  EXPECT_EQ(r.culled, 1);
  EXPECT_EQ(r.visible, 3);
  EXPECT_EQ(ReadIdFile("ASL_Visibility/ref.bin"), (Ids{0, 1, 2}));
  EXPECT_EQ(f.flags, (Ids{1, 1, 1, 0, 0}));
  EXPECT_EQ(f.visible, (VisibleSet{1, 1, 1, 0, 0}));
  // Bands of three rows (an id and a double depth per cell) give the same
  // set.
  Ids flags(5, 1);
  const ReferenceReport banded = Quiet([&] {
    return AslReference(f.mesh, f.cam, 4, flags, nullptr, "ASL_Visibility/ref2.bin", f.log, 64 * 4 * 12 * 3);
  });
  EXPECT_EQ(banded.bandBytes, size_t(64 * 4) * 3 * 12);
  EXPECT_EQ(flags, f.flags);
}

TEST(AslReference, CentreSamplesAsATextListAndASampleIdImage) {
  Fixture f;
  f.run.err = &f.log;
  EXPECT_EQ(Quiet([&] {
              return CentreSampleReference(f.run, "ASL_Visibility/centre.txt", "centre.tif");
            }),
            3);
  EXPECT_EQ(ReadText("ASL_Visibility/centre.txt"), "0\n1\n2\n");
  // The statistics come before the image, whose pixels hold the ids seen
  // (id 0 and an empty pixel are both black).
  EXPECT_NE(f.log.str().find("INFO: sls per pixel: min: 1 max: 1"), std::string::npos) << f.log.str();
  std::vector<uint32_t> raster;
  int w = 0, h = 0;
  ASSERT_TRUE(Quiet([&] { return ReadTiff("centre.tif", &raster, &w, &h); }));
  EXPECT_EQ(w, 64);
  EXPECT_EQ(h, 48);
  std::set<uint32_t> colours;
  for (uint32_t p : raster) colours.insert(p & 0xffffffu);
  EXPECT_EQ(colours, (std::set<uint32_t>{0, 1, 2}));
}

// The passes run on bands of rows, one per thread: the samples of every
// pixel, their triangles and the visible set do not depend on the number
// of threads.
TEST(AslRun, PassesAreTheSameOnAnyNumberOfThreads) {
  std::vector<std::vector<std::tuple<double, double, int32_t>>> first;
  VisibleSet firstVisible;
  for (const char* threads : {"1", "2", "8"}) {
    setenv("WORKBENCH_THREADS", threads, 1);
    Fixture f;
    // About 5,000 triangles in the 64 x 48 view: most below a pixel.
    SurfaceMesh blob = BumpyBlob(4, Vex3_quarn(0, 0, -4 * f.cam.zNear), 1.5f * f.cam.zNear, 0.2f, 5);
    LoadSurface(blob, blob.positions, &f.mesh);
    f.flags.assign(size_t(f.mesh.IdCount()), 1);
    f.visible.assign(size_t(f.mesh.IdCount()), 0);
    AslRunReport r;
    StdoutOf([&] { r = AslPasses(f.run, GatherAllTriangles(f.mesh), ""); });
    EXPECT_GT(r.samplesAdded, 500);
    std::vector<std::vector<std::tuple<double, double, int32_t>>> samples;
    for (const PixelSamples& p : f.buffer.pixels) {
      samples.emplace_back();
      for (int32_t k = 0; k < p.count; k++) {
        const SampleLocation& s = p.samples[size_t(k)];
        samples.back().emplace_back(s.x, s.y, s.triangleId);
      }
    }
    if (first.empty()) {
      first = samples;
      firstVisible = f.visible;
    } else {
      EXPECT_TRUE(samples == first) << threads << " threads";
      EXPECT_EQ(f.visible, firstVisible) << threads << " threads";
    }
  }
  unsetenv("WORKBENCH_THREADS");
}
