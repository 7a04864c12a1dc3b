// Scenes of many separate objects: the list file "%sindex.txt" (a line
// "%d files exported", then one object name per line) and its binary cache
// "%sindex.txt.rdd": int32 vertex count; per vertex position, normal and
// texture u, v (32 bytes); int32 group count; int32 triangle count; per
// group its triangle count, its colour and its vertex-number triples.
// Callers set shadingMode 3 first and assign ids afterwards.
#pragma once

#include <cstddef>
#include <iostream>
#include <string>
#include <vector>

#include "ObjLoader.h"

// 1 after loading the cache of `directory` (every position multiplied by
// `scale`), -1 when it cannot be opened or is bad (then with an error line
// naming it, and the mesh released); the caller then builds the list.
int ReadObjectList(ObjLoader& mesh, const std::string& directory, float scale = 1.0f,
                   std::ostream& err = std::cerr);
int ReadObjectListCache(const char* data, size_t size, const std::string& fileName, ObjLoader& mesh,
                        float scale, std::ostream& err = std::cerr);

// Reads the list and its objects, scales positions by 100, runs
// DetectCleanup and writes the cache. False (mesh released, no cache) when
// the list cannot be read or an object file is bad.
// Progress lines go to `out`, messages to `err`.
bool BuildObjectList(ObjLoader& mesh, const std::string& directory, std::ostream& out = std::cout,
                     std::ostream& err = std::cerr);

std::vector<char> EncodeObjectListCache(const ObjLoader& mesh);
