// EnCrypt and DeCrypt of a 1 MiB text (1,048,576 characters, mostly ASCII with some accented
// letters and euro signs) against a raw floor: the 24-bit generator XORed into a byte buffer
// followed by the 3-into-4 packing, with no text conversion. Throughput counts characters.

#include <benchmark/benchmark.h>

#include <time.h>

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "ortiva/clscryptor.hpp"

namespace {

constexpr std::size_t text_chars = 1 << 20;
const std::string key = "bench key";

const std::string& plain_text() {
    static const std::string text = [] {
        // 32 characters, three of them outside ASCII.
        const std::u8string_view unit = u8"Grüße from the café: 5€ each.  ";
        std::string s;
        for (std::size_t i = 0; i < text_chars / 32; ++i) {
            s.append(reinterpret_cast<const char*>(unit.data()), unit.size());
        }
        return s;
    }();
    return text;
}

const std::string& cipher_text() {
    static const std::string text = ortiva::clscryptor{}.EnCrypt(plain_text(), key);
    return text;
}

// The floor: keystream and packing on bytes, the least any implementation must do.
struct RawFloor {
    std::vector<uint8_t> codes = std::vector<uint8_t>(text_chars);
    std::vector<uint8_t> packed = std::vector<uint8_t>(text_chars + (text_chars + 2) / 3);

    RawFloor() {
        for (std::size_t i = 0; i < codes.size(); ++i)
            codes[i] = static_cast<uint8_t>(i * 7);
    }

    void run() {
        uint32_t seed = 0x395886;
        std::vector<uint8_t> work = codes;
        for (uint8_t& c : work) {
            seed = static_cast<uint32_t>((uint64_t{seed} * 0x43FD43FD + 0xC39EC3) & 0xFFFFFF);
            c ^= static_cast<uint8_t>(seed >> 16);
        }
        uint8_t* p = packed.data();
        std::size_t i = 0;
        for (; i + 3 <= work.size(); i += 3, p += 4) {
            p[0] = (work[i] & 63) + 59;
            p[1] = (work[i + 1] & 63) + 59;
            p[2] = (work[i + 2] & 63) + 59;
            p[3] = ((work[i] >> 6 << 4) | (work[i + 1] >> 6 << 2) | (work[i + 2] >> 6)) + 59;
        }
        if (i < work.size()) {
            uint8_t carrier = 0;
            for (int shift = 4; i < work.size(); ++i, shift -= 2) {
                *p++ = (work[i] & 63) + 59;
                carrier |= static_cast<uint8_t>(work[i] >> 6 << shift);
            }
            *p = carrier + 59;
        }
        benchmark::DoNotOptimize(packed.data());
        benchmark::ClobberMemory();
    }
};

void BM_RawFloor(benchmark::State& state) {
    RawFloor raw;
    for (auto _ : state)
        raw.run();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text_chars));
}
BENCHMARK(BM_RawFloor)->Unit(benchmark::kMillisecond);

void BM_EnCrypt(benchmark::State& state) {
    ortiva::clscryptor cryptor;
    for (auto _ : state)
        benchmark::DoNotOptimize(cryptor.EnCrypt(plain_text(), key));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text_chars));
}
BENCHMARK(BM_EnCrypt)->Unit(benchmark::kMillisecond);

void BM_DeCrypt(benchmark::State& state) {
    ortiva::clscryptor cryptor;
    if (cryptor.DeCrypt(cipher_text(), key) != plain_text()) {
        throw std::runtime_error("round trip failed");
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(cryptor.DeCrypt(cipher_text(), key));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text_chars));
}
BENCHMARK(BM_DeCrypt)->Unit(benchmark::kMillisecond);

// This thread's CPU time: on a shared machine, wall time also counts the time others ran.
std::chrono::nanoseconds thread_cpu_time() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

// The three interleaved in each iteration, so that drift on a shared machine falls on all of
// them alike; the counters are the ratios to the floor.
void BM_CipherRatios(benchmark::State& state) {
    RawFloor raw;
    ortiva::clscryptor cryptor;
    std::chrono::nanoseconds raw_time{}, en_time{}, de_time{};
    for (auto _ : state) {
        const auto t0 = thread_cpu_time();
        raw.run();
        const auto t1 = thread_cpu_time();
        benchmark::DoNotOptimize(cryptor.EnCrypt(plain_text(), key));
        const auto t2 = thread_cpu_time();
        benchmark::DoNotOptimize(cryptor.DeCrypt(cipher_text(), key));
        const auto t3 = thread_cpu_time();
        raw_time += t1 - t0;
        en_time += t2 - t1;
        de_time += t3 - t2;
    }
    const auto ratio = [&](std::chrono::nanoseconds d) {
        return raw_time.count() ? static_cast<double>(d.count()) / raw_time.count() : 0.0;
    };
    state.counters["encrypt_vs_raw"] = ratio(en_time);
    state.counters["decrypt_vs_raw"] = ratio(de_time);
}
BENCHMARK(BM_CipherRatios)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
