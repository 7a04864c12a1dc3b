#include "cgShader.h"

#include <GL/glext.h>
#include <GL/glx.h>

#include <cstring>
#include <fstream>
#include <ostream>
#include <memory>
#include <sstream>
#include <vector>

namespace {

const char* const kStageTags[3] = {"VERTEX", "GEOMETRY", "FRAGMENT"};
const char* const kClassNames[3] = {"CG_GL_VERTEX", "CG_GL_GEOMETRY", "CG_GL_FRAGMENT"};
const int kStageClasses[3] = {kStageClassVertex, kStageClassGeometry, kStageClassFragment};
const GLenum kShaderTypes[3] = {GL_VERTEX_SHADER, GL_GEOMETRY_SHADER, GL_FRAGMENT_SHADER};
const GLenum kReferencedBy[3] = {GL_REFERENCED_BY_VERTEX_SHADER, GL_REFERENCED_BY_GEOMETRY_SHADER,
                                 GL_REFERENCED_BY_FRAGMENT_SHADER};

// Error codes of the layer and their strings.
enum ErrorCode { kNoError = 0, kCompilerError = 1, kFileReadError = 11, kEntryError = 13 };

const char* ErrorString(int e) {
  switch (e) {
    case kNoError: return "No error has occurred.";
    case kCompilerError: return "The compile returned an error.";
    case kFileReadError: return "The file could not be read.";
    case kEntryError: return "The entry function could not be found.";
    default: return "Unknown error.";
  }
}

std::unique_ptr<cgContext> gContext;

// The error handler: the error and, when there is one, the compiler's
// listing.
void ReportError(std::ostream& out, int e, const std::string& listing) {
  if (e == kNoError) return;
  out << ErrorString(e) << "\n";
  if (!listing.empty()) out << listing << "\n";
}

bool ReadFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  if (in.bad()) return false;
  *text = s.str();
  return true;
}

// The stage's block: a line "#ifdef <entry>" (blanks allowed around the
// directive).
bool HasEntry(const std::string& text, const std::string& entry) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string directive, name;
    words >> directive;
    if (directive == "#ifdef") {
      words >> name;
      if (name == entry) return true;
    } else if (directive == "#" ) {
      words >> directive >> name;
      if (directive == "ifdef" && name == entry) return true;
    }
  }
  return false;
}

int GLVersion() {
  const char* v = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  int major = 0, minor = 0;
  if (v == nullptr || std::sscanf(v, "%d.%d", &major, &minor) != 2) return 0;
  return major * 10 + minor;
}

}  // namespace

cgContext* GetContext(std::ostream& out) {
  if (gContext) return gContext.get();
  int version = glXGetCurrentContext() != nullptr ? GLVersion() : 0;
  if (version < 32) {
    out << "Failed To Create Cg Context" << std::endl;
    return nullptr;
  }
  gContext = std::make_unique<cgContext>();
  gContext->geometryStage = version >= 32;
  gContext->separateUniforms = version >= 41;
  gContext->stageQuery = version >= 43;
  return gContext.get();
}

int LatestProfile(int stageClass) {
  cgContext* c = GetContext();
  if (c == nullptr) return kProfileUnknown;
  switch (stageClass) {
    case kStageClassVertex: return kProfileVertex;
    case kStageClassFragment: return kProfileFragment;
    case kStageClassGeometry: return c->geometryStage ? kProfileGeometry : kProfileUnknown;
    default: return kProfileUnknown;
  }
}

bool cgShader::Load(const std::string& file, const char* geometryEntry,
                    const char* fragmentEntry) {
  fileName = file.substr(0, 255);
  sourceText.reset();
  entries[kVertex] = std::string("VertexMain");
  entries[kGeometry].reset();
  entries[kFragment].reset();
  if (geometryEntry != nullptr) entries[kGeometry] = std::string(geometryEntry);
  if (fragmentEntry != nullptr) entries[kFragment] = std::string(fragmentEntry);
  return Compile();
}

bool cgShader::CompileStage(Stage stage, const std::string& text, cgContext* context) {
  (void)context;
  const std::string& entry = *entries[stage];
  if (!HasEntry(text, entry)) {
    ReportError(*console, kEntryError, "entry function '" + entry + "' not found in " + fileName);
    *console << "CG ERROR (" << kStageTags[stage] << ") : " << ErrorString(kEntryError) << std::endl;
    return false;
  }
  std::string source = "#version 150 compatibility\n#define " + entry + " 1\n#line 1\n" + text;
  GLuint shader = glCreateShader(kShaderTypes[stage]);
  const char* src = source.c_str();
  glShaderSource(shader, 1, &src, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    GLint len = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &len);
    std::vector<char> log(size_t(len > 0 ? len : 1), '\0');
    glGetShaderInfoLog(shader, GLsizei(log.size()), nullptr, log.data());
    glDeleteShader(shader);
    ReportError(*console, kCompilerError, fileName + "(" + entry + "): " + log.data());
    *console << "CG ERROR (" << kStageTags[stage] << ") : " << ErrorString(kCompilerError) << std::endl;
    return false;
  }
  programs[stage] = shader;
  return true;
}

bool cgShader::Link() {
  GLuint program = glCreateProgram();
  int attached = 0;
  for (GLuint s : programs) {
    if (s != 0) {
      glAttachShader(program, s);
      attached++;
    }
  }
  if (attached == 0) {
    glDeleteProgram(program);
    return true;
  }
  glLinkProgram(program);
  GLint ok = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    GLint len = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &len);
    std::vector<char> log(size_t(len > 0 ? len : 1), '\0');
    glGetProgramInfoLog(program, GLsizei(log.size()), nullptr, log.data());
    glDeleteProgram(program);
    ReportError(*console, kCompilerError, fileName + " (link): " + log.data());
    // The stages cannot run together: none of them is usable.
    for (int s = 0; s < 3; s++) {
      if (programs[s] != 0) glDeleteShader(programs[s]);
      programs[s] = 0;
    }
    return false;
  }
  linked = program;
  return true;
}

bool cgShader::Compile() {
  // Step 1: drop the previous programs.
  for (int s = 0; s < 3; s++) {
    if (programs[s] != 0) glDeleteShader(programs[s]);
    programs[s] = 0;
    profiles[s] = kProfileUnknown;
  }
  if (linked != 0) glDeleteProgram(linked);
  linked = 0;

  bool result = false;
  cgContext* context = GetContext(*console);
  if (context != nullptr) {
    result = true;
    std::string fileText;
    bool fileRead = sourceText.has_value() || ReadFile(fileName, &fileText);
    const std::string& text = sourceText.has_value() ? *sourceText : fileText;
    for (int s = 0; s < 3; s++) {
      if (!entries[s].has_value()) continue;
      int profile = LatestProfile(kStageClasses[s]);
      if (profile == kProfileUnknown) {
        *console << "Invalid profile type (" << kClassNames[s] << ")" << std::endl;
        result = false;
        continue;
      }
      profiles[s] = profile;
      if (!fileRead) {
        ReportError(*console, kFileReadError, "");
        *console << "CG ERROR (" << kStageTags[s] << ") : " << ErrorString(kFileReadError) << std::endl;
        result = false;
        continue;
      }
      if (!CompileStage(Stage(s), text, context)) result = false;
    }
    if (!Link()) result = false;
  }

  *console << "INFO (cgShader): " << (loaded ? "Reload" : "Load")
       << (result ? "ed " + fileName + " successfully" : "ing " + fileName + " failed") << std::endl;
  loaded = true;
  return result;
}

void cgShader::Bind() const {
  if (linked != 0) glUseProgram(linked);
}

void cgShader::Unbind() const {
  if (linked != 0) glUseProgram(0);
}

cgParameter cgShader::FindParameter(Stage stage, const char* name) const {
  cgParameter p;
  if (programs[stage] == 0 || linked == 0 || name == nullptr) return p;
  GLint location = glGetUniformLocation(linked, name);
  if (location < 0) return p;
  // A stage finds only what its own code uses.
  if (gContext && gContext->stageQuery) {
    GLuint index = glGetProgramResourceIndex(linked, GL_UNIFORM, name);
    if (index == GL_INVALID_INDEX) return p;
    GLint referenced = 0;
    glGetProgramResourceiv(linked, GL_UNIFORM, index, 1, &kReferencedBy[stage], 1, nullptr,
                           &referenced);
    if (!referenced) return p;
  }
  p.program = linked;
  p.location = location;
  return p;
}

cgParameter cgShader::Lookup(Stage stage, const char* name, const char* tag) const {
  if (programs[stage] == 0) {
    *console << "ERROR (" << tag << "): No program specified!" << std::endl;
    return cgParameter();
  }
  cgParameter p = FindParameter(stage, name);
  if (!p) *console << "ERROR (" << tag << "): Parameter not found" << std::endl;
  return p;
}

cgParameter cgShader::GetVertexParameter(const char* name) const {
  return Lookup(kVertex, name, "cgShader::GetVertexParameter1");
}
cgParameter cgShader::GetGeometryParameter(const char* name) const {
  return Lookup(kGeometry, name, "cgShader::GetGeometryParameter1");
}
cgParameter cgShader::GetFragmentParameter(const char* name) const {
  return Lookup(kFragment, name, "cgShader::GetFragmentParameter1");
}

void cgShader::Destroy() {
  sourceText.reset();
  for (int s = 0; s < 3; s++) {
    entries[s].reset();
    if (programs[s] != 0) glDeleteShader(programs[s]);
    programs[s] = 0;
  }
  if (linked != 0) glDeleteProgram(linked);
  linked = 0;
}

// Setters: write into the program directly when the GL allows it, else
// through a short switch of the current program.
namespace {
template <typename Direct, typename Current>
void SetUniform(cgParameter p, Direct direct, Current current) {
  if (!p) return;
  if (gContext && gContext->separateUniforms) {
    direct();
    return;
  }
  GLint previous = 0;
  glGetIntegerv(GL_CURRENT_PROGRAM, &previous);
  if (GLuint(previous) != p.program) glUseProgram(p.program);
  current();
  if (GLuint(previous) != p.program) glUseProgram(GLuint(previous));
}
}  // namespace

void SetMVPParameter(cgParameter p) {
  if (!p) return;
  GLfloat mv[16], pr[16], mvp[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, mv);
  glGetFloatv(GL_PROJECTION_MATRIX, pr);
  // Column-major product pr * mv.
  for (int c = 0; c < 4; c++)
    for (int r = 0; r < 4; r++) {
      float s = 0;
      for (int k = 0; k < 4; k++) s += pr[k * 4 + r] * mv[c * 4 + k];
      mvp[c * 4 + r] = s;
    }
  SetUniform(
      p, [&] { glProgramUniformMatrix4fv(p.program, p.location, 1, GL_FALSE, mvp); },
      [&] { glUniformMatrix4fv(p.location, 1, GL_FALSE, mvp); });
}

void SetParameter1f(cgParameter p, float v) {
  SetUniform(
      p, [&] { glProgramUniform1f(p.program, p.location, v); },
      [&] { glUniform1f(p.location, v); });
}

void SetParameter3f(cgParameter p, float x, float y, float z) {
  SetUniform(
      p, [&] { glProgramUniform3f(p.program, p.location, x, y, z); },
      [&] { glUniform3f(p.location, x, y, z); });
}

void SetParameter3fv(cgParameter p, const float* v) {
  if (v == nullptr) return;
  SetParameter3f(p, v[0], v[1], v[2]);
}

void SetParameter1i(cgParameter p, int v) {
  SetUniform(
      p, [&] { glProgramUniform1i(p.program, p.location, v); },
      [&] { glUniform1i(p.location, v); });
}
