#include <GL/gl.h>

#include "GLTestSupport.h"
#include "cgShader.h"

namespace {

class Shader : public testing::Test {
 protected:
  void SetUp() override { CurrentGLWindow(); }
  ShaderScratchDir scratch_;
};

}  // namespace

TEST_F(Shader, MissingFileReportsEveryRequestedStageThenFails) {
  cgShader s;
  bool ok = true;
  std::string out = StdoutOf([&] { ok = s.Load("CG/Missing.cg", "GeometryMain", "FragmentMain"); });
  EXPECT_FALSE(ok);
  EXPECT_NE(out.find("CG ERROR (VERTEX) : The file could not be read.\n"), std::string::npos);
  EXPECT_NE(out.find("CG ERROR (GEOMETRY) : The file could not be read.\n"), std::string::npos);
  EXPECT_NE(out.find("CG ERROR (FRAGMENT) : The file could not be read.\n"), std::string::npos);
  // The summary comes last.
  const std::string last = "INFO (cgShader): Loading CG/Missing.cg failed\n";
  ASSERT_GE(out.size(), last.size());
  EXPECT_EQ(out.substr(out.size() - last.size()), last);
  EXPECT_TRUE(s.loaded);
  for (int i = 0; i < 3; i++) EXPECT_EQ(s.programs[i], 0u);
  // A failed shader binds nothing and reports its lookups.
  s.Bind();
  GLint current = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &current);
  EXPECT_EQ(current, 0);
  out = StdoutOf([&] { EXPECT_FALSE(s.GetVertexParameter("modelViewProj")); });
  EXPECT_EQ(out, "ERROR (cgShader::GetVertexParameter1): No program specified!\n");
}

TEST_F(Shader, VertexOnlyTripleBuildsOneStageAndRecompileSaysReloaded) {
  cgShader s;
  s.fileName = "CG/RenderOriginalFootage_sp.cg";
  s.entries[cgShader::kVertex] = std::string("VertexMain");
  std::string out = StdoutOf([&] { EXPECT_TRUE(s.Compile()); });
  EXPECT_EQ(out, "INFO (cgShader): Loaded CG/RenderOriginalFootage_sp.cg successfully\n");
  EXPECT_NE(s.programs[cgShader::kVertex], 0u);
  EXPECT_EQ(s.programs[cgShader::kGeometry], 0u);
  EXPECT_EQ(s.programs[cgShader::kFragment], 0u);
  EXPECT_EQ(s.profiles[cgShader::kVertex], kProfileVertex);
  EXPECT_EQ(s.profiles[cgShader::kGeometry], kProfileUnknown);
  EXPECT_EQ(s.profiles[cgShader::kFragment], kProfileUnknown);

  out = StdoutOf([&] { EXPECT_TRUE(s.Compile()); });
  EXPECT_EQ(out, "INFO (cgShader): Reloaded CG/RenderOriginalFootage_sp.cg successfully\n");

  s.Bind();
  GLint current = 0;
  glGetIntegerv(GL_CURRENT_PROGRAM, &current);
  EXPECT_EQ(GLuint(current), s.linked);
  s.Unbind();
  glGetIntegerv(GL_CURRENT_PROGRAM, &current);
  EXPECT_EQ(current, 0);

  out = StdoutOf([&] { EXPECT_FALSE(s.GetFragmentParameter("mode")); });
  EXPECT_EQ(out, "ERROR (cgShader::GetFragmentParameter1): No program specified!\n");
  out = StdoutOf([&] { EXPECT_TRUE(s.GetVertexParameter("mode")); });
  EXPECT_EQ(out, "");
}

TEST_F(Shader, MissingParameterIsReportedPerStageAndNullSettersAreHarmless) {
  cgShader s;
  StdoutOf([&] { ASSERT_TRUE(s.Load("CG/RenderBaryCentric.cg", "GeometryMain", "FragmentMain")); });
  std::string out = StdoutOf([&] { EXPECT_FALSE(s.GetFragmentParameter("noSuchThing")); });
  EXPECT_EQ(out, "ERROR (cgShader::GetFragmentParameter1): Parameter not found\n");
  // Each stage finds only what its own code uses.
  EXPECT_TRUE(s.FindParameter(cgShader::kVertex, "modelViewProj"));
  EXPECT_FALSE(s.FindParameter(cgShader::kGeometry, "modelViewProj"));
  out = StdoutOf([&] { EXPECT_FALSE(s.GetGeometryParameter("modelViewProj")); });
  EXPECT_EQ(out, "ERROR (cgShader::GetGeometryParameter1): Parameter not found\n");
  EXPECT_TRUE(s.FindParameter(cgShader::kGeometry, "theID"));

  cgParameter none;
  SetMVPParameter(none);
  SetParameter1f(none, 1);
  SetParameter3f(none, 1, 2, 3);
  SetParameter3fv(none, nullptr);
  SetParameter1i(none, 4);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Shader, CompileErrorNamesTheStageAndLaterStagesStillBuild) {
  cgShader s;
  s.fileName = "inline";
  s.sourceText = std::string(
      "#ifdef VertexMain\nvoid main() { gl_Position = gl_Vertex; }\n#endif\n"
      "#ifdef fpmain\nvoid main() { gl_FragColor = undefinedThing; }\n#endif\n");
  s.entries[cgShader::kVertex] = std::string("VertexMain");
  s.entries[cgShader::kFragment] = std::string("fpmain");
  std::string out = StdoutOf([&] { EXPECT_FALSE(s.Compile()); });
  EXPECT_NE(out.find("CG ERROR (FRAGMENT) : The compile returned an error.\n"), std::string::npos);
  EXPECT_EQ(out.find("CG ERROR (VERTEX)"), std::string::npos);
  EXPECT_NE(out.find("INFO (cgShader): Loading inline failed\n"), std::string::npos);
  EXPECT_NE(s.programs[cgShader::kVertex], 0u);
  EXPECT_EQ(s.programs[cgShader::kFragment], 0u);

  // An entry the file does not have is a failed stage too.
  cgShader t;
  out = StdoutOf([&] { EXPECT_FALSE(t.Load("CG/RenderGrass.cg", "GeometryMain", "fpmain")); });
  EXPECT_NE(out.find("CG ERROR (GEOMETRY) : "), std::string::npos);
}

TEST_F(Shader, EveryProgramFileBuildsWithTheEntriesOfItsPasses) {
  struct Case {
    const char* file;
    const char* geometry;
    const char* fragment;
  } cases[] = {
      {"CG/RenderBaryCentric.cg", "GeometryMain", "FragmentMain"},
      {"CG/RenderWTC.cg", "GeometryMain", "fpmain"},
      {"CG/RenderManhattan.cg", "GeometryMain", "fpmain"},
      {"CG/RenderGrass.cg", nullptr, "fpmain"},
      {"CG/RenderOriginalFootage.cg", nullptr, "fpmain"},
      {"CG/RenderOriginalFootage.cg", nullptr, nullptr},
      {"CG/RenderOriginalFootage_sp.cg", nullptr, nullptr},
      {"CG/RTI_Raster.cg", "GeometryMain", "FragmentMain"},
  };
  cgShader built[std::size(cases)];
  for (size_t i = 0; i < std::size(cases); i++) {
    const Case& c = cases[i];
    std::string out = StdoutOf([&] { EXPECT_TRUE(built[i].Load(c.file, c.geometry, c.fragment)) << c.file; });
    EXPECT_EQ(out, std::string("INFO (cgShader): Loaded ") + c.file + " successfully\n");
  }
  // The parameters the passes set are where the passes look for them.
  const cgShader &wtc = built[1], &manhattan = built[2], &grass = built[3], &raster = built[7];
  std::string out = StdoutOf([&] {
    EXPECT_TRUE(wtc.GetGeometryParameter("modelViewProj"));
    EXPECT_TRUE(wtc.GetFragmentParameter("MATERIAL_TYPE"));
    EXPECT_TRUE(manhattan.GetVertexParameter("modelViewProj"));
    EXPECT_TRUE(manhattan.GetFragmentParameter("eye"));
    EXPECT_TRUE(grass.GetVertexParameter("modelViewProj"));
    EXPECT_TRUE(grass.GetFragmentParameter("eye"));
    EXPECT_TRUE(grass.GetFragmentParameter("MATERIAL_TYPE"));
    EXPECT_TRUE(raster.GetGeometryParameter("modelViewProj"));
    EXPECT_TRUE(raster.GetFragmentParameter("lightDir"));
    EXPECT_TRUE(raster.GetFragmentParameter("Ambient"));
  });
  EXPECT_EQ(out, "");
}
