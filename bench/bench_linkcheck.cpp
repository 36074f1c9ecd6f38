// Speed and politeness of the link check against web sites on the loopback interface
// that each answer after 100 ms.
//
//   default: 10,000 addresses on 50 sites, PerHost=2, Connections=16 (the defaults but
//            Connections raised to 100, so that the per-site limit is what binds).
//            Floor: 10,000 / (50 x 2) x 0.1 s = 10 s.
//   --large: also 100,000 addresses on 500 sites, Connections=256.
//            Floor: 100,000 / 256 x 0.1 s = 39 s.
//
// Each run prints the time, its ratio to the floor (target at most 1.3), the requests
// per second, the most requests any site saw at once (must not pass PerHost, the server
// counts) and the peak resident memory of the process, server included (target under
// 150 MB for the first run).

#include "../tests/support/LoopbackWebServer.h"
#include "links/LinkChecker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <cstdio>
#include <vector>

#include <sys/resource.h>

namespace {

constexpr int AnswerDelayMs = 100;

long peakResidentKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void raiseFileLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

void run(int addresses, int sites, int perHost, int connections)
{
    LoopbackWebServer server([](const LoopbackWebServer::Request &request) {
        LoopbackWebServer::Answer answer;
        answer.status = request.path == "/favicon.ico" ? 404 : 200;
        answer.delayMs = AnswerDelayMs;
        return answer;
    });
    std::vector<quint16> ports;
    for (int i = 0; i < sites; ++i)
        ports.push_back(server.listen());
    std::vector<LinkTarget> targets;
    targets.reserve(size_t(addresses));
    for (int i = 0; i < addresses; ++i)
        targets.push_back({QStringLiteral("http://127.0.0.1:%1/page/%2").arg(ports[size_t(i % sites)]).arg(i), false});

    LinkCheckSettings settings;
    settings.perHost = perHost;
    settings.connections = connections;
    LinkChecker checker(settings);
    int ok = 0;
    QObject::connect(&checker, &LinkChecker::checked,
                     [&](int, const LinkResult &result) { ok += result.status == LinkStatus::Ok; });
    QEventLoop loop;
    QObject::connect(&checker, &LinkChecker::finished, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    checker.start(targets);
    loop.exec();
    const double seconds = timer.elapsed() / 1000.0;

    const double floor = double(addresses) / std::min(sites * perHost, connections) * AnswerDelayMs / 1000.0;
    int most = 0;
    for (quint16 port : ports)
        most = std::max(most, server.mostAtOnce(port));
    std::printf("%d addresses on %d sites, PerHost=%d, Connections=%d: %.1f s (floor %.1f s, ratio %.2f), "
                "%.0f requests/s, ok %d, most at once on one site %d, peak memory %.0f MB\n",
                addresses, sites, perHost, connections, seconds, floor, seconds / floor,
                server.totalRequests() / seconds, ok, most, peakResidentKb() / 1024.0);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    raiseFileLimit();
    run(10000, 50, 2, 100);
    if (app.arguments().contains(QStringLiteral("--large")))
        run(100000, 500, 2, 256);
    return 0;
}
