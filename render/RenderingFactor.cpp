#include "RenderingFactor.h"

int renderingFactor = 100;
