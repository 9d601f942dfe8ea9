// Planted: the batch room reaching up into the viewer.
#include "viewer/view_state.h"
