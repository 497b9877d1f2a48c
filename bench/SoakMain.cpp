// vxr-soak: read all and write all, over and over, through the real serial component against
// the simulator (unpaced, in this process). Every transfer must succeed and carry the data
// unchanged, and resident memory must stay flat once warmed up. The transfers' pauses are
// skipped, so the run takes seconds rather than hours.
#include <QCoreApplication>

#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "ControllerSimulator.h"
#include "CutOffTable.h"
#include "DeviceImage.h"
#include "LineFloor.h"
#include "ProcessProbe.h"
#include "RssTrend.h"
#include "TransferBench.h"

namespace {

struct Settings {
    int cycles = 5000;       // one read all and one write all each
    int sampleEvery = 100;   // transfers
    int warmUp = 200;        // transfers before the baseline sample
    // With no leak both stay flat after the warm-up (measured: no growth at all over 9800
    // transfers; RSS moves in pages, by a few KiB at most). Over 9800 transfers 512 KiB of RSS
    // catches a leak of about 55 bytes per transfer, 64 KiB of heap one of about 7 bytes.
    int64_t boundKiB = 512;
    int64_t heapBoundKiB = 64;
    bool checkRss = true;
};

bool Parse(int argc, char** argv, Settings& s)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--cycles" && hasValue)
            s.cycles = std::max(1, std::atoi(argv[++i]));
        else if (a == "--warm-up" && hasValue)
            s.warmUp = std::max(0, std::atoi(argv[++i]));
        else if (a == "--bound-kib" && hasValue)
            s.boundKiB = std::atoll(argv[++i]);
        else if (a == "--heap-bound-kib" && hasValue)
            s.heapBoundKiB = std::atoll(argv[++i]);
        else if (a == "--no-rss-check")
            s.checkRss = false;
        else
            return false;
    }
    return true;
}

// New values for every model on every cycle, so a write that carries stale or crossed data
// shows in the read that follows.
void Vary(ModelBank& bank, int cycle)
{
    for (int i = 0; i < ModelBank::kModels; ++i) {
        ModelSettings& m = bank.models[static_cast<size_t>(i)];
        m.NBRK = (cycle * 7 + i) % 100;
        // Within what a write sends: a value outside its range is refused before any frame.
        m.BFREQ = 12 + (cycle * 3 + i) % 52;
        m.VLT = CutOffTable::kCodes[static_cast<size_t>((cycle + i * 11) % CutOffTable::kItems)];
        m.PROG = (cycle + i) % 8;
        for (int k = 0; k < 32; ++k)
            m.FRQ[static_cast<size_t>(k)] = 12 + (cycle + k * 5 + i) % 52;
    }
    bank.ModelNumber = (cycle % ModelBank::kModels) * 40;
}

// What the controller holds must be what the bank wrote.
std::string CompareController(const ControllerSimulator& sim, const ModelBank& bank)
{
    for (int i = 0; i < ModelBank::kModels; ++i) {
        const ModelSettings& wrote = bank.models[static_cast<size_t>(i)];
        ModelSettings held = wrote;
        ApplyImage(DeviceImage(sim.ImageOf(i)), held);
        if (!(held == wrote))
            return "controller's MODEL" + std::to_string(i + 1) + " differs from what was written";
    }
    if (sim.ModelNumber() != bank.ModelNumber)
        return "controller's model number " + std::to_string(sim.ModelNumber()) + ", written " +
               std::to_string(bank.ModelNumber);
    return {};
}

}  // namespace

int main(int argc, char** argv)
{
    Settings s;
    if (!Parse(argc, argv, s)) {
        std::fprintf(stderr, "usage: vxr-soak [--cycles N] [--warm-up TRANSFERS] [--bound-kib KIB] [--heap-bound-kib KIB]\n"
                             "                [--no-rss-check]\n");
        return 2;
    }
    QCoreApplication app(argc, argv);

    using Clock = std::chrono::steady_clock;
    RssTrend trend(s.warmUp, s.boundKiB);
    // Bytes in use on the heap of this thread's arena (the user-interface thread allocates every
    // frame, reply and event): finer than pages, so a small leak shows sooner.
    RssTrend heap(s.warmUp, s.heapBoundKiB);
    const auto samples = static_cast<size_t>(2 * s.cycles / s.sampleEvery + 2);
    trend.Reserve(samples);
    heap.Reserve(samples);
    int reads = 0, writes = 0, skippedPauseMs = 0;
    std::string failure;
    const auto t0 = Clock::now();
    try {
        ControllerSimulator sim;  // unpaced
        TransferBench bench(sim.DevicePath(), BenchReporter::Pauses::Skip);
        bench.Open();
        ModelBank& bank = bench.Bank();

        const auto sample = [&](int transfers) {
            const int64_t kib = ProcessProbe::ResidentKiB();
            trend.Add(transfers, kib);
            const auto heapKiB = static_cast<int64_t>(mallinfo2().uordblks / 1024);
            heap.Add(transfers, heapKiB);
            std::printf("  transfers %5d  rss %6lld KiB  heap %6lld KiB  %7.1f s\n", transfers,
                        static_cast<long long>(kib), static_cast<long long>(heapKiB),
                        std::chrono::duration<double>(Clock::now() - t0).count());
            std::fflush(stdout);
        };
        sample(0);
        for (int cycle = 0; cycle < s.cycles && failure.empty(); ++cycle) {
            // The simulator records every frame for tests; that record is not the tool's memory.
            sim.ClearTranscript();
            Vary(bank, cycle);
            const ModelBank written = bank;
            if (!bench.RunOnce(LineFloor::Transfer::WriteAll, &failure))
                break;
            ++writes;
            skippedPauseMs += bench.Reporter().PausedMs();
            failure = CompareController(sim, written);
            if (!failure.empty())
                break;
            if ((reads + writes) % s.sampleEvery == 0)
                sample(reads + writes);

            if (!bench.RunOnce(LineFloor::Transfer::ReadAll, &failure))
                break;
            ++reads;
            skippedPauseMs += bench.Reporter().PausedMs();
            // Read back: the bank must hold exactly what was written (memos are not sent).
            if (!(bank == written))
                failure = "read all after write all gave other values (cycle " + std::to_string(cycle) + ")";
            if ((reads + writes) % s.sampleEvery == 0)
                sample(reads + writes);
        }
    } catch (const std::exception& e) {
        failure = e.what();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();

    std::printf("soak: %d read all + %d write all in %.1f s (%.1f ms per transfer), pauses skipped (%d ms in all)\n",
                reads, writes, seconds, reads + writes > 0 ? seconds * 1000.0 / (reads + writes) : 0.0,
                skippedPauseMs);
    std::printf("soak: rss series (transfers:KiB): %s\n", trend.Series().c_str());
    std::printf("soak: heap series (transfers:KiB): %s\n", heap.Series().c_str());
    int status = 0;
    if (!failure.empty()) {
        std::printf("soak: FAILED: %s\n", failure.c_str());
        status = 1;
    }
    if (s.checkRss) {
        const bool ok = trend.WithinBound();
        std::printf("soak: rss growth after %d transfers of warm-up: %lld KiB (bound %lld KiB) %s\n", s.warmUp,
                    static_cast<long long>(trend.GrowthKiB()), static_cast<long long>(trend.BoundKiB()),
                    ok ? "ok" : "EXCEEDED");
        const bool heapOk = heap.WithinBound();
        std::printf("soak: heap growth after %d transfers of warm-up: %lld KiB (bound %lld KiB) %s\n", s.warmUp,
                    static_cast<long long>(heap.GrowthKiB()), static_cast<long long>(heap.BoundKiB()),
                    heapOk ? "ok" : "EXCEEDED");
        if (!ok || !heapOk)
            status = 1;
    } else {
        std::printf("soak: memory not judged (sanitizer build: shadow memory and its own allocator)\n");
    }
    return status;
}
