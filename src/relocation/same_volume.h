#pragma once

#include <string_view>

// Whether two paths lie on one volume, judged from their text alone. Paths
// outside `volumesPrefix` ("/Volumes/" in production) lie on the start-up
// volume; a path inside it lies on the volume named by the text between the
// prefix and the next "/", and has no volume when no "/" follows. Case counts;
// links are not followed.
bool pathsShareVolume(std::string_view first, std::string_view second, std::string_view volumesPrefix);
