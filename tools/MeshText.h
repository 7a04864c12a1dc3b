// Text mesh files of the sample working directory: state OBJ files, object
// lists (index.txt, one OBJ and one MTL per object) and point states.
// Coordinates are written with nine significant digits so that a file read
// back gives the float that was written.
#pragma once

#include <string>
#include <vector>

#include "GenMesh.h"

// One state: every vertex at `positions`, then each group as "g <kind>" and
// "usemtl <kind>%d_mat" followed by the faces alive at `frame` ("f" for
// quads, "t" for triangles).
bool WriteStateObj(const std::string& path, const GenMesh& mesh,
                   const std::vector<Vex3_quarn>& positions, int frame);

// A range of groups written as one object of a list; the faces of these
// groups use only vertices [firstVertex, firstVertex + vertexCount).
struct GenObject {
  std::string name;
  int firstGroup = 0, groupCount = 0;
  int firstVertex = 0, vertexCount = 0;
};

// "<dir>index.txt", "<dir><name>.obj" and "<dir><name>.mtl" for every
// object. Positions are divided by `scale` (the loader multiplies by 100).
bool WriteObjectList(const std::string& dir, const GenMesh& mesh,
                     const std::vector<GenObject>& objects, float scale);

// A point state: one "v" line per point, divided by `scale`.
bool WritePointObj(const std::string& path, const std::vector<Vex3_quarn>& points, float scale);
