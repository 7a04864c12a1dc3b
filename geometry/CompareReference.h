// Consistency report of a mesh against a reference flagged binary mesh
// (by default "WTC_state057.bin"): triangle totals, then every triangle's
// corner positions in group order against the reference's single list.
#pragma once

#include <string>

class ObjLoader;

void CompareWithReference(const ObjLoader& mesh, const std::string& referencePath = "WTC_state057.bin");
