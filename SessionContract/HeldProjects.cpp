#include "HeldProjects.h"

namespace dwfm {

HeldProjects::~HeldProjects() = default;

} // namespace dwfm
