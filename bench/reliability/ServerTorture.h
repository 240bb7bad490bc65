#pragma once
// The reliability suite's worker on the server store (run.sh --server): the same kinds of
// work as on the embedded store, each step written to the worker's journal (its standard
// output), and a verification that holds the store against every journal.
#include <QString>

namespace dwfm::torture {

// A fresh store "proef" on `server` (as the database administrator of libpq's login):
// users u0..u7 (password = name) and "nazien" (administrator), who adds `files` files.
int serverSetup(const QString &server, const QString &work, int files);
// `kind` over and over until killed.
[[noreturn]] void serverWork(const QString &server, const QString &user, const QString &kind);
// Holds the store against the journals (*.log) in `journals`: those of `trial` for what was
// acknowledged, all of them for what was ever written. Then every holder finishes their
// check-outs and a fresh user checks out and in every file the trial touched (`all`: every
// file). Prints the figures; 0 when nothing was torn, lost or stuck.
int serverVerify(const QString &server, const QString &journals, const QString &trial, bool all);

} // namespace dwfm::torture
