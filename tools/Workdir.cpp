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
    std::vector<std::string> f = {
        // Inputs.
        "CG", "Texture", "Views", "Views/Final_views", "Views/Quarn", "Geometry/truck",
        "Geometry/truckGFB", "Geometry/EasyPlane", "Geometry/MovingBoxes", "Geometry/TrianglePair",
        "Geometry/WaterFlow", "Geometry/Fusion", "Geometry/RTI", "Geometry/RTI_subdivided/View2",
        "Geometry/GrassField", "Geometry/Forest", "Geometry/Manhattan", "Geometry/QUARNTree",
        // Results read and written by the buttons.
        "VisibilityTable", "VisibilityRecord", "VisibilityRecord/Control", "ASL_Visibility",
        "ASL_Visibility/RTI_ASL", "ASL_Visibility/RTI_Control", "ASL_Visibility/Final/Manhattan/Midtown",
        "ASL_Visibility/Forest", "ASL_Visibility/GrassField", "SuperPixelResult", "CombinedVisibility",
        "FootageVisibility/Water", "FootageVisibility/Fusion", "FootageVisibility/Manhattan/Downtown",
        "FootageVisibility/Manhattan/Midtown", "FootageVisibility/Grass/High",
        "FootageVisibility/Grass/Low", "FootageVisibility/Forest", "FootageVisibility/RTI",
        "FootageVisibility/WTC/Outside", "FootageVisibility/WTC/Reverse", "2DVisibility",
        "Superpixel_visibilities", "Process/Forest", "Process/Fusion", "Process/Grass/High",
        "Process/Grass/Low_zoomMore", "Process/Manhattan/View_noGap", "Process/RTI", "Process/Water",
        "Process/WTC/outside", "Process/WTC/reverse", "geometry/RTI_45Degree", "images",
        // Image series.
        "Images/Truth", "Images/Control", "Images/ASL", "Images/GFB_ASL", "Images/GFB_result",
        "Images/MB_demo", "Images/Step2", "Images/Step3", "Images/Truth_31X31", "Images/Truth1_31X31",
        "Images/Truth2_31X31", "Images/View1_step2", "Images/View1_step3", "Images/View2_step2",
        "Images/View2_step3", "Images/View1_step3_wtc", "Images/View2_step3_wtc",
        "Images/Diff_view1_step2", "Images/Diff_view1_step3", "Images/Diff_view2_step2",
        "Images/Diff_view2_step3", "Images/Diff_View1_step2", "Images/Diff_View1_step3",
        "Images/Diff_Truth_31X31", "Images/Diff_Truth_32X32", "Images/2DControl", "Images/2DStep2",
        "Images/2DStep3", "Images/2D4Endpoints", "Images/2D4Endpoints_step2",
        "Images/Forest/SuperPixel/Control_wError", "Images/Forest/SuperPixel/Super_pixel_wError"};
    for (int s = 0; s < 10; s++) f.push_back(Format("Geometry/wtc/Seg%d", s));
    for (int i = 1; i <= 5; i++) f.push_back(Format("FootageVisibility/Manhattan/[2X]Midtown/%d", i));
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
  if (options.large) folders.push_back("Geometry/Large");
  for (const std::string& f : folders)
    if (!MakeDirs(ctx.root + f)) return false;
  const int shaders = CopyShaders(options.cgSource, ctx.Path("CG/"));
  std::cout << "CG/: " << shaders << " shader files" << std::endl;
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
  }
  // The buffer camera of "Load Prev View": the default scene's view.
  if (std::ifstream(ctx.Path("Views/Truck_default.ppc"))) {
    if (!CopyFile(ctx.Path("Views/Truck_default.ppc"), ctx.Path("Views/BufferPPC.ppc")))
      ctx.Fail("Views/BufferPPC.ppc");
  }
  return ctx.ok;
}
