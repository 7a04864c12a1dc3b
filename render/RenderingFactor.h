// Drawing subsampling shared by the mesh and point drawing: only every
// renderingFactor-th triangle or point is drawn. Set from the control panel;
// measurement runs set it to 1 before they render. Never below 1.
#pragma once

extern int renderingFactor;
