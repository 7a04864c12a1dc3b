// Consistency report of a mesh against a reference flagged binary mesh
// (by default the tower's reference state): triangle totals, then every
// triangle's corner positions in group order against the reference's
// single list.
#pragma once

#include <iostream>
#include <string>

#include "WorkLayout.h"

class ObjLoader;

void CompareWithReference(const ObjLoader& mesh,
                          const std::string& referencePath = layout::kTowerReference,
                          std::ostream& out = std::cout, std::ostream& err = std::cerr);
