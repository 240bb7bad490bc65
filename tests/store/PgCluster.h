#pragma once

#include <QString>

#include <functional>

// A throwaway PostgreSQL cluster for the tests of this program: made with initdb in a
// temporary folder on first use, listening on 127.0.0.1 at a free port and on a Unix
// socket in that folder, stopped and removed when the program ends. Over TCP it asks for
// passwords; on the socket it knows the connecting process's account (peer). Run as root, the
// server runs as the unprivileged account "nobody". The administrator's login is put in
// PGUSER / PGPASSWORD, where the store's administration finds it. The tests' cluster does
// not flush (fsync off); $DW_PG_OPTIONS adds server options (e.g. "-c fsync=on"). It speaks
// TLS with a certificate of its own for 127.0.0.1 (made with openssl when that is
// installed) and logs every statement (log_statement=all) to its log file.
namespace PgCluster {

// The statement that gives every file of a server store that has no content yet (rows
// written straight into its tables) one version, as the database's administrator: its name,
// or with `bytes` its name repeated to that many bytes.
QByteArray contentFromNamesSql(int bytes = 0);

// True when the cluster runs; false (with the reason in `why`) when the PostgreSQL
// programs are not installed or the cluster could not start.
bool start(QString *why);
// Stops the server abruptly (as a crash or power cut would), runs `whileDown`, and starts it
// again on the same port.
bool stopAndStart(const std::function<void()> &whileDown = {});
// "127.0.0.1:port".
QString server();
// ":port": the same server through its Unix socket (PGHOST names the socket's folder).
QString localServer();
// The server's certificate (its own root, for sslrootcert); empty when it has no TLS.
QString certificate();
// The server's log, every statement in it.
QString logFile();
// Makes a self-signed certificate and key for 127.0.0.1 and localhost with openssl;
// false when openssl is missing or fails.
bool makeCertificate(const QString &certificate, const QString &key);

} // namespace PgCluster
