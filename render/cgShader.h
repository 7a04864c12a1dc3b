// One shader program triple (vertex, geometry, fragment) from a ".cg" file
// under "CG/", compiled as GLSL. A file holds every stage of a program; the
// entry-point name of a stage selects its code: the stage is compiled with
// that name defined, so the file wraps each stage in "#ifdef <entry>" ...
// "#endif" (with its own main()). Code outside the blocks is shared by all
// stages. "#version 150 compatibility" is put in front of every stage.
//
// Each stage's program is a compiled shader object; the stages that built
// are linked into one GL program. Parameters are looked up per stage (a
// stage only finds the uniforms its own code uses) and set through the
// setters below, which take effect whether or not the program is bound and
// accept a null handle.
#pragma once

#include <GL/gl.h>

#include <iostream>
#include <optional>
#include <string>

// Profile values, kept as plain ints.
constexpr int kProfileUnknown = 6145;
constexpr int kProfileVertex = 7007;
constexpr int kProfileFragment = 7008;
constexpr int kProfileGeometry = 7016;

// Stage classes asked for by Compile.
constexpr int kStageClassVertex = 8;
constexpr int kStageClassFragment = 9;
constexpr int kStageClassGeometry = 10;

// The process-wide shader context: what the GL of the first current
// context offers.
struct cgContext {
  bool geometryStage = false;     // GL 3.2: geometry shaders
  bool separateUniforms = false;  // glProgramUniform* (GL 4.1)
  bool stageQuery = false;        // which stage references a uniform (GL 4.3)
};

// Creates the context on first use. Null (with "Failed To Create Cg
// Context") when no GL context is current or it lacks GLSL 1.50.
cgContext* GetContext(std::ostream& out = std::cout);
// Latest profile of a stage class, kProfileUnknown when the GL lacks it.
int LatestProfile(int stageClass);

// Parameter handle: a uniform of one linked program. Default value = null.
struct cgParameter {
  GLuint program = 0;
  GLint location = -1;
  explicit operator bool() const { return program != 0 && location >= 0; }
};

class cgShader {
 public:
  enum Stage { kVertex = 0, kGeometry = 1, kFragment = 2 };

  GLuint programs[3] = {0, 0, 0};  // compiled stage objects; 0 absent or failed
  int profiles[3] = {kProfileUnknown, kProfileUnknown, kProfileUnknown};
  std::string fileName;
  std::optional<std::string> entries[3];  // unset: the stage is not built
  std::optional<std::string> sourceText;  // when set, compiled instead of the file
  bool loaded = false;
  GLuint linked = 0;  // the stages linked into one program
  // Where the load, compile and parameter messages go; the passes give
  // the stream of the draw they load it for.
  std::ostream* console = &std::cout;

  cgShader() = default;
  virtual ~cgShader() = default;
  cgShader(const cgShader&) = delete;
  cgShader& operator=(const cgShader&) = delete;

  // Vertex entry "VertexMain", the other two as given (null: no stage).
  bool Load(const std::string& file, const char* geometryEntry, const char* fragmentEntry);
  bool Compile();
  void Bind() const;
  void Unbind() const;
  cgParameter GetVertexParameter(const char* name) const;
  cgParameter GetGeometryParameter(const char* name) const;
  cgParameter GetFragmentParameter(const char* name) const;
  // The same lookups without messages (for optional parameters).
  cgParameter FindParameter(Stage stage, const char* name) const;
  void Destroy();

 private:
  cgParameter Lookup(Stage stage, const char* name, const char* tag) const;
  bool CompileStage(Stage stage, const std::string& text, cgContext* context);
  bool Link();
};

// Setters; a null handle is ignored.
// The current GL model-view-projection matrix (projection * model-view).
void SetMVPParameter(cgParameter p);
void SetParameter1f(cgParameter p, float v);
void SetParameter3f(cgParameter p, float x, float y, float z);
void SetParameter3fv(cgParameter p, const float* v);
void SetParameter1i(cgParameter p, int v);
