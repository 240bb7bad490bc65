#include "PgCluster.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace {

struct Cluster {
    QString base;
    QString bin;
    int port = 0;
    bool running = false;
    QString failure;
    bool asNobody = false;
    QString tlsOptions; // the server's certificate and key, when they could be made
    QString certificate;

    // Runs a PostgreSQL program, as "nobody" when this process is root.
    bool run(const QString &program, const QStringList &args, QString *output = nullptr)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        const QString path = bin + QLatin1Char('/') + program;
        if (asNobody)
            p.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"), path} + args);
        else
            p.start(path, args);
        const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        if (output)
            *output = QString::fromLocal8Bit(p.readAll());
        return ok;
    }

    bool start()
    {
        bin = qEnvironmentVariable("DW_PG_BIN", QStringLiteral("/usr/lib/postgresql/15/bin"));
        if (!QFileInfo(bin + QStringLiteral("/initdb")).isExecutable()) {
            failure = QStringLiteral("PostgreSQL 15 is not installed (no %1/initdb): install the Debian package "
                                     "postgresql-15 (./scripts/install-deps.sh does)").arg(bin);
            return false;
        }
        asNobody = geteuid() == 0;
        // Not under TMPDIR: the test's own temporary home is closed to other accounts.
        QByteArray pattern = "/tmp/dwpg-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            failure = QStringLiteral("no temporary folder");
            return false;
        }
        base = QString::fromUtf8(pattern);
        QFile::setPermissions(base, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                        QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
        const QString password = QStringLiteral("beheer-%1").arg(QRandomGenerator::global()->generate(), 0, 16);
        QFile pw(base + QStringLiteral("/pw"));
        if (!pw.open(QIODevice::WriteOnly)) {
            failure = QStringLiteral("cannot write the password file");
            return false;
        }
        pw.write(password.toUtf8() + '\n');
        pw.close();
        if (asNobody) {
            const passwd *nobody = getpwnam("nobody");
            if (!nobody || chown(base.toUtf8().constData(), nobody->pw_uid, nobody->pw_gid) != 0 ||
                chown(pw.fileName().toUtf8().constData(), nobody->pw_uid, nobody->pw_gid) != 0) {
                failure = QStringLiteral("cannot hand the folder to nobody");
                return false;
            }
        }
        QString out;
        if (!run(QStringLiteral("initdb"), {QStringLiteral("-D"), base + QStringLiteral("/data"), QStringLiteral("-U"),
                                            QStringLiteral("dwbeheer"), QStringLiteral("--pwfile=") + pw.fileName(),
                                            QStringLiteral("--auth-host=scram-sha-256"),
                                            QStringLiteral("--auth-local=peer"), QStringLiteral("-E"),
                                            QStringLiteral("UTF8"), QStringLiteral("--no-sync")},
                 &out)) {
            failure = QStringLiteral("initdb failed: ") + out;
            return false;
        }
        const QString crt = base + QStringLiteral("/server.crt"), key = base + QStringLiteral("/server.key");
        if (PgCluster::makeCertificate(crt, key)) {
            QFile::setPermissions(key, QFile::ReadOwner | QFile::WriteOwner); // the server insists
            const passwd *nobody = asNobody ? getpwnam("nobody") : nullptr;
            if (!nobody || chown(key.toUtf8().constData(), nobody->pw_uid, nobody->pw_gid) == 0) {
                certificate = crt;
                tlsOptions = QStringLiteral("-c ssl=on -c ssl_cert_file=%1 -c ssl_key_file=%2").arg(crt, key);
            }
        }
        for (int attempt = 0; attempt < 5 && !running; ++attempt) {
            port = 20000 + int(QRandomGenerator::global()->bounded(30000));
            running = serverUp(&out);
        }
        if (!running) {
            failure = QStringLiteral("pg_ctl start failed: ") + out;
            return false;
        }
        qputenv("PGHOST", base.toLocal8Bit()); // the socket folder, for ":port"
        qputenv("PGUSER", "dwbeheer");
        qputenv("PGPASSWORD", password.toUtf8());
        return true;
    }

    bool serverUp(QString *out)
    {
        return run(QStringLiteral("pg_ctl"),
                   {QStringLiteral("-D"), base + QStringLiteral("/data"), QStringLiteral("-l"), base + QStringLiteral("/log"),
                    QStringLiteral("-w"), QStringLiteral("-o"),
                    QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off -c max_connections=40 "
                                   "-c log_statement=all %3 %4")
                        .arg(port)
                        .arg(base, tlsOptions, qEnvironmentVariable("DW_PG_OPTIONS")),
                    QStringLiteral("start")},
                   out);
    }

    ~Cluster()
    {
        // At the program's end, without Qt's event machinery.
        if (running) {
            const QString command = QStringLiteral("%1%2/pg_ctl -D '%3/data' -m immediate stop >/dev/null 2>&1")
                                        .arg(asNobody ? QStringLiteral("runuser -u nobody -- ") : QString(), bin, base);
            [[maybe_unused]] const int rc = std::system(command.toLocal8Bit().constData());
        }
        if (!base.isEmpty())
            QDir(base).removeRecursively();
    }
};

Cluster &cluster()
{
    static Cluster instance;
    return instance;
}

} // namespace

namespace PgCluster {

bool start(QString *why)
{
    static const bool started = [] {
        // A child process of a test uses its parent's cluster.
        if (qEnvironmentVariableIsSet("DW_PG_SERVER"))
            return true;
        return cluster().start();
    }();
    if (!started && why)
        *why = cluster().failure;
    return started;
}

QString server()
{
    if (qEnvironmentVariableIsSet("DW_PG_SERVER"))
        return qEnvironmentVariable("DW_PG_SERVER");
    return QStringLiteral("127.0.0.1:%1").arg(cluster().port);
}

QByteArray contentFromNamesSql(int bytes)
{
    const QByteArray data = bytes > 0 ? "convert_to(substr(repeat(file_name, " + QByteArray::number(bytes) + "), 1, "
                                            + QByteArray::number(bytes) + "), 'UTF8')"
                                      : QByteArray("convert_to(file_name, 'UTF8')");
    return R"SQL(
        WITH f AS MATERIALIZED (SELECT project_id, )SQL" + data + R"SQL( AS data, nextval('dw.contents_content_id_seq') AS cid
                                  FROM dw.projects WHERE version IS NULL),
             c AS (INSERT INTO dw.contents (content_id, sha256, size, chunk_count, uploading, uploader)
                   SELECT cid, sha256(data), octet_length(data), 1, false, session_user FROM f),
             k AS (INSERT INTO dw.chunks (content_id, seq, data) SELECT cid, 0, data FROM f),
             v AS (INSERT INTO dw.versions (project_id, version, content_id, sha256, size, made_at)
                   SELECT project_id, 1, cid, sha256(data), octet_length(data), 0 FROM f)
        UPDATE dw.projects p SET version = 1 FROM f WHERE p.project_id = f.project_id)SQL";
}

bool stopAndStart(const std::function<void()> &whileDown)
{
    Cluster &c = cluster();
    if (!c.run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), c.base + QStringLiteral("/data"), QStringLiteral("-m"),
                                          QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")}))
        return false;
    if (whileDown)
        whileDown();
    return c.serverUp(nullptr);
}

QString localServer()
{
    return server().mid(server().lastIndexOf(QLatin1Char(':')));
}

QString certificate()
{
    return cluster().certificate;
}

QString logFile()
{
    return cluster().base + QStringLiteral("/log");
}

bool makeCertificate(const QString &certificate, const QString &key)
{
    QProcess openssl;
    openssl.start("openssl", QStringLiteral("req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 "
                                            "-subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1,DNS:localhost")
                                 .split(' ')
                                 << "-keyout" << key << "-out" << certificate);
    return openssl.waitForFinished(60000) && openssl.exitStatus() == QProcess::NormalExit && openssl.exitCode() == 0;
}

} // namespace PgCluster
