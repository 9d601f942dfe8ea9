#pragma once
// The viewer's picture loader: the loading pipeline behind the viewer's open flow.
#include "viewer/open_flow.h"

namespace pelira {

class LoadHost;

// One long-lived pipeline (it keeps its codec objects between loads). Pictures, text pages
// and metafiles come back as the working bitmap; a picture above the pixel limit fails with
// the limit's message for the user; other failures are quiet (the blank picture shows).
// host, when given, is the window's part of a load (painting, pumping, status); it must
// outlive the loader.
PictureLoader DefaultPictureLoader(LoadHost* host = nullptr);

}  // namespace pelira
