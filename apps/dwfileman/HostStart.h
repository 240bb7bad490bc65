#pragma once

#include "HostOptions.h"

class MainWindow;

// How dwfileman comes up. With connection options it connects as they say and remembers
// nothing. Without them it takes the connection remembered from the last start: one that
// logs on as the operating-system account connects straight away, one that needs the
// store's password opens the connection dialog with everything but the password filled
// in; the first start opens the dialog empty. A password that is needed and not given is
// asked for in the dialog, or on the terminal (without echo) when no window may ask.
// A refused connection opens the dialog with the store's reason, when a window may ask.
namespace HostStart {

enum class Outcome {
    Connected,
    GaveUp, // the user closed the connection dialog without connecting
    Failed, // no connection, and nobody could be asked: `failure` says why
};

// `interactive`: the connection dialog may be shown (a desktop, no screenshot asked).
Outcome connect(MainWindow &window, const HostOptions &options, bool interactive, QString &failure);

} // namespace HostStart
