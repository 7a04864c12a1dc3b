// asl STATE: the still-frame ASL run at a factor, as "ASL with Factor"
// runs it, and with --reference F the software reference at factor F, as
// "ASL Control" runs it for the scenes judged at factor 32.
#include <CLI/CLI.hpp>
#include <memory>

#include "AslDrivers.h"
#include "AslReference.h"
#include "AslRun.h"
#include "CameraOptions.h"
#include "CommandSupport.h"
#include "Commands.h"
#include "Format.h"
#include "SampleLocationBuffer.h"

namespace {

struct AslOptions {
  std::string state;
  CameraOptions camera;
  CommonOptions common;
  double factor = 1;
  int reference = 0;
};

std::string FactorText(double f) { return Format("%g", f); }

int RunAsl(const AslOptions& o, int argc, char** argv) {
  Run run("asl", o.common, argc, argv);
  std::string error;
  if (!OutputDirUsable(o.common.out, &error) || !SaveCameraUsable(o.camera, &error))
    return run.Refuse(error);
  if (o.reference < 0 || o.reference > 64)
    return run.Refuse("--reference " + std::to_string(o.reference) +
                      ": the reference factor must lie between 1 and 64");
  std::vector<ObjLoader> states;
  PPC camera;
  if (!run.LoadScene({o.state}, o.camera, &states, &camera)) return kExitRefused;
  if (!(o.factor > 0) || double(camera.w) * camera.h * o.factor * o.factor > kMaxBufferPixels)
    return run.Refuse("--factor " + FactorText(o.factor) + ": the sample buffer must have at least "
                      "one and at most " + Format("%.0f", kMaxBufferPixels) + " pixels");
  if (!run.OpenOutput(camera, o.camera)) return kExitRefused;

  const ObjLoader& mesh = states[0];
  const int32_t n = mesh.IdCount();
  const std::string kSet = "asl_visible_set.bin";
  const std::string kReference = "reference_" + std::to_string(o.reference) + ".bin";
  // The factor run: buffer at the view's size times the factor.
  SampleLocationBuffer buffer(int32_t(camera.w * o.factor), int32_t(camera.h * o.factor));
  buffer.SetCamera(camera);
  std::vector<int32_t> flags(size_t(n), 1);
  VisibleSet visible(size_t(n), 0);
  ProgressLines aslProgress(run.console(), "asl", 3);  // centre, placement, final pass
  std::ostream aslOut(&aslProgress);
  AslRunContext context;
  context.buffer = &buffer;
  context.mesh = &mesh;
  context.flags = &flags;
  context.visible = &visible;
  context.out = &aslOut;
  AslRunReport report;
  run.Timed("asl", [&] { report = AslFactorRun(context, run.out().Stage(kSet)); });
  nlohmann::json& s = run.summary();
  s["factor"] = o.factor;
  s["counts"] = {{"triangles", n},
                 {"visible", report.visible},
                 {"visible_at_pixel_centres", report.centreVisible},
                 {"culled", report.culled},
                 {"samples", int64_t(buffer.width) * buffer.height + report.samplesAdded},
                 {"samples_added", report.samplesAdded}};
  s["seconds"]["centre_pass"] = report.centreSeconds;
  s["seconds"]["placement"] = report.placementSeconds;
  s["seconds"]["final_pass"] = report.finalSeconds;
  s["files"]["visible_set"] = kSet;
  std::string closing = "asl: " + std::to_string(report.visible) + " of " + std::to_string(n) +
                        " triangles visible at factor " + FactorText(o.factor) + "; set in " +
                        Shown(run, kSet);

  if (o.reference > 0) {
    std::vector<int32_t> refFlags(size_t(n), 1);
    VisibleSet refSet(size_t(n), 0);
    PPC refCamera = camera;
    ProgressLines refProgress(run.console(), "reference");
    std::ostream refOut(&refProgress);
    ReferenceReport ref;
    run.Timed("reference", [&] {
      ref = AslReference(mesh, refCamera, o.reference, refFlags, &refSet,
                         run.out().Stage(kReference), refOut);
    });
    s["reference_factor"] = o.reference;
    s["counts"]["reference_visible"] = ref.visible;
    s["counts"]["reference_samples"] =
        int64_t(camera.w) * camera.h * int64_t(o.reference) * o.reference;
    s["files"]["reference_set"] = kReference;
    closing += "; reference (factor " + std::to_string(o.reference) + ") " +
               std::to_string(ref.visible) + " in " + Shown(run, kReference);
  }
  if (!SaveCamera(o.camera, camera, &error)) return run.Refuse(error);
  return run.Finish(closing);
}

}  // namespace

void AddAslCommand(CLI::App& app, std::function<int()>* action, int argc, char** argv) {
  auto o = std::make_shared<AslOptions>();
  CLI::App* c = app.add_subcommand("asl", "Triangles visible in one state by ASL (still frame)");
  c->add_option("state", o->state, "State file")->required();
  c->add_option("--factor", o->factor, "Sample buffer size as a multiple of the image (default 1)");
  c->add_option("--reference", o->reference,
                "Also the software reference at this many cells per pixel side (e.g. 32)");
  AddCameraOptions(c, &o->camera);
  AddCommonOptions(c, &o->common);
  c->callback([=] { *action = [=] { return RunAsl(*o, argc, argv); }; });
}
