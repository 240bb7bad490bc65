#include "SessionChanges.h"

namespace dwfm {

SessionChanges::SessionChanges(QObject *parent) : QObject(parent) {}
SessionChanges::~SessionChanges() = default;

} // namespace dwfm
