#include "Workdir.h"

#include <sys/stat.h>

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <functional>
#include <iostream>

#include "Format.h"
#include "GenContext.h"
#include "Scenes.h"
#include "WorkLayout.h"

namespace {

struct Part {
  const char* name;
  void (*generate)(GenContext&);
};

const Part kParts[] = {
    {"images", GenerateImages},       {"truck", GenerateTruck},
    {"wtc", GenerateWtc},             {"small", GenerateSmallScenes},
    {"points", GeneratePointScenes},  {"terrain", GenerateTerrain},
    {"grass", GenerateGrassField},    {"forest", GenerateForest},
    {"manhattan", GenerateManhattan}, {"tree", GenerateTree},
    {"mesh files", GenerateMeshFiles},
};

// Creates every missing folder of a relative path.
bool MakeDirs(const std::string& path) {
  for (size_t i = 1; i <= path.size(); i++) {
    if (i < path.size() && path[i] != '/') continue;
    const std::string part = path.substr(0, i);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
      std::cerr << "ERROR: cannot create folder " << part << std::endl;
      return false;
    }
  }
  return true;
}

bool CopyFile(const std::string& from, const std::string& to) {
  std::ifstream in(from, std::ios::binary);
  std::ofstream out(to, std::ios::binary);
  if (!in || !out) return false;
  out << in.rdbuf();
  return bool(out);
}

// The shader sources as they are in the source tree when the generator runs.
int CopyShaders(const std::string& from, const std::string& to) {
  DIR* d = opendir(from.c_str());
  if (!d) {
    std::cerr << "INFO: no shader folder at " << from << "; CG/ stays empty" << std::endl;
    return 0;
  }
  int copied = 0;
  while (dirent* e = readdir(d)) {
    const std::string name = e->d_name;
    if (name.size() < 4 || name.compare(name.size() - 3, 3, ".cg") != 0) continue;
    if (CopyFile(from + "/" + name, to + name)) copied++;
    else std::cerr << "ERROR: cannot copy " << from << "/" << name << std::endl;
  }
  closedir(d);
  return copied;
}

const char* kReadme =
    "Sample working directory of the visibility workbench, written by make-workdir.\n"
    "Start the workbench in this folder. Geometry/ holds the scenes, Views/ the cameras,\n"
    "CG/ the shader sources, Texture/ the textures; the other folders receive results\n"
    "(some hold stand-in results so that every button has input). The project README\n"
    "says which files to replace to use your own data.\n";

}  // namespace

const std::vector<std::string>& WorkdirParts() {
  static const std::vector<std::string> parts = [] {
    std::vector<std::string> p;
    for (const Part& part : kParts) p.push_back(part.name);
    return p;
  }();
  return parts;
}

const std::vector<std::string>& WorkdirFolders() {
  static const std::vector<std::string> folders = [] {
    using layout::Folder;
    // A folder of the layout, or a folder below it; no trailing '/'.
    auto dir = [](Folder f, const std::string& sub = "") {
      std::string p = layout::In(f, sub);
      while (!p.empty() && p.back() == '/') p.pop_back();
      return p;
    };
    const std::pair<Folder, std::vector<std::string>> below[] = {
        // Inputs.
        {Folder::kShaders, {""}},
        {Folder::kTextures, {""}},
        {Folder::kViews, {"", layout::FinalView(""), "Quarn"}},
        {Folder::kGeometry,
         {"truck", "truckGFB", "EasyPlane", "MovingBoxes", "TrianglePair", "WaterFlow", "Fusion",
          "RTI", "RTI_subdivided/View2", "GrassField", "Forest", "Manhattan", "QUARNTree"}},
        // Results read and written by the buttons.
        {Folder::kTables, {""}},
        {Folder::kRecords, {"", "Control"}},
        {Folder::kResults,
         {"", "RTI_ASL", "RTI_Control", "Final/Manhattan/Midtown", "Forest", "GrassField"}},
        {Folder::kExperimentLogs, {""}},
        {Folder::kCombined, {""}},
        {Folder::kFootage,
         {"Water", "Fusion", "Manhattan/Downtown", "Manhattan/Midtown", "Grass/High", "Grass/Low",
          "Forest", "RTI", "WTC/Outside", "WTC/Reverse"}},
        {Folder::kPlane, {""}},
        {Folder::kSamples, {""}},
        {Folder::kProcess,
         {"Forest", "Fusion", "Grass/High", "Grass/Low_zoomMore", "Manhattan/View_noGap", "RTI",
          "Water", "WTC/outside", "WTC/reverse"}},
        // Image series.
        {Folder::kImages,
         {"Truth",
          "Control",
          "ASL",
          "GFB_ASL",
          "GFB_result",
          "MB_demo",
          "Step2",
          "Step3",
          "Truth_31X31",
          "Truth1_31X31",
          "Truth2_31X31",
          "View1_step2",
          "View1_step3",
          "View2_step2",
          "View2_step3",
          "View1_step3_wtc",
          "View2_step3_wtc",
          "Diff_view1_step2",
          "Diff_view1_step3",
          "Diff_view2_step2",
          "Diff_view2_step3",
          "Diff_View1_step2",
          "Diff_View1_step3",
          "Diff_Truth_31X31",
          "Diff_Truth_32X32",
          "2DControl",
          "2DStep2",
          "2DStep3",
          "2D4Endpoints",
          "2D4Endpoints_step2",
          "Forest/SuperPixel/Control_wError",
          "Forest/SuperPixel/Super_pixel_wError"}},
    };
    std::vector<std::string> f;
    for (const auto& [folder, subs] : below)
      for (const std::string& sub : subs) f.push_back(dir(folder, sub));
    // The cell folder of "Subdivide Geometry" (the layout names it with its
    // '/'), and folders named by operations still to come.
    std::string cells = layout::kCellFolder;
    cells.pop_back();
    f.push_back(cells);
    f.push_back("images");
    std::string meshFiles = layout::kMeshFileFolder;
    meshFiles.pop_back();
    f.push_back(meshFiles);
    for (int s = 0; s < 10; s++) f.push_back(dir(Folder::kGeometry, Format("wtc/Seg%d", s)));
    for (int i = 1; i <= 5; i++)
      f.push_back(dir(Folder::kFootage, Format("Manhattan/[2X]Midtown/%d", i)));
    return f;
  }();
  return folders;
}

bool MakeWorkdir(const std::string& dir, const WorkdirOptions& options,
                 WorkdirManifest* manifest) {
  GenContext ctx;
  ctx.root = dir.empty() ? "./" : (dir.back() == '/' ? dir : dir + "/");
  ctx.manifest = manifest;
  std::vector<std::string> folders = WorkdirFolders();
  if (options.large) {
    folders.push_back(layout::GeometryFile("Large"));
    folders.push_back(layout::GeometryFile("Scanned"));
  }
  for (const std::string& f : folders)
    if (!MakeDirs(ctx.root + f)) return false;
  const char* cg = layout::FolderName(layout::Folder::kShaders);
  const int shaders = CopyShaders(options.cgSource, ctx.Path(cg));
  std::cout << cg << ": " << shaders << " shader files" << std::endl;
  ctx.SaveText("README.txt", kReadme);

  for (const Part& part : kParts) {
    const auto& only = options.only;
    if (!only.empty() && std::find(only.begin(), only.end(), part.name) == only.end()) continue;
    std::cout << "writing " << part.name << std::endl;
    part.generate(ctx);
  }
  if (options.large) {
    std::cout << "writing the measurement scene" << std::endl;
    GenerateLarge(ctx);
    GenerateScanned(ctx);
  }
  // The buffer camera of "Load Prev View": the default scene's view.
  const std::string truck = layout::CameraFile("Truck_default.ppc"),
                    saved = layout::CameraFile(layout::kSavedView);
  if (std::ifstream(ctx.Path(truck))) {
    if (!CopyFile(ctx.Path(truck), ctx.Path(saved))) ctx.Fail(saved);
  }
  return ctx.ok;
}
