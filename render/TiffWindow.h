// The image operations that need the view window or a GL context.
#pragma once

#include <GL/gl.h>

#include <iostream>
#include <string>

class FrameBuffer;

// Reads the window's colour buffer back and writes it when the path ends in
// "tif": 1, -1 for another ending (nothing written), -2 when writing fails.
int SaveImage(const std::string& path, FrameBuffer* window, std::ostream& out = std::cout,
              std::ostream& err = std::cerr);

// The image as an RGBA8 texture with linear filtering; 0 when it cannot be
// read. Needs a current GL context.
GLuint LoadTexture(const std::string& path);
