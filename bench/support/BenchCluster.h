#pragma once

// The server benchmarks' throwaway PostgreSQL cluster (the tests' own, tests/store/PgCluster).
#include "BenchTiming.h"
#include "PgCluster.h"

namespace dwfm::bench {

// Starts the cluster, or stops the benchmark with the reason; answers the server address.
inline QString startCluster()
{
    QString why;
    if (!PgCluster::start(&why))
        die(QStringLiteral("no PostgreSQL cluster: ") + why);
    return PgCluster::server();
}

} // namespace dwfm::bench
