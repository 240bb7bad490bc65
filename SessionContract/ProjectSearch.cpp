#include "ProjectSearch.h"

namespace dwfm {

ProjectSearch::~ProjectSearch() = default;

} // namespace dwfm
