// A late-bound EnCrypt of a 1 KiB text, through the C interface and through the C++ dispatcher,
// against the floor of the direct C++ call on the same object kind. All three run in the one
// shared library that hosts load, so they share code layout and allocator.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "ortiva/clscryptor.hpp"
#include "ortiva/component.hpp"
#include "ortiva/ortiva.h"

namespace {

const std::string text = [] {
    std::string s;
    while (s.size() < 1024)
        s += "The quick brown fox jumps over the lazy dog, 0123456789. ";
    s.resize(1024);
    return s;
}();
const std::string key = "bench key";

void Direct(benchmark::State& state) {
    ortiva::clscryptor cipher;
    for (auto _ : state)
        benchmark::DoNotOptimize(cipher.EnCrypt(text, key));
}

void LateBoundCpp(benchmark::State& state) {
    auto cipher = ortiva::component::create("Ortiva.clscryptor");
    const int32_t id = cipher->id_of_name("EnCrypt");
    for (auto _ : state) {
        std::vector<ortiva::Variant> args{ortiva::Variant(text), ortiva::Variant(key)};
        benchmark::DoNotOptimize(cipher->invoke(id, ortiva::component::method, args));
    }
}

void LateBoundC(benchmark::State& state) {
    ortiva_object* cipher = nullptr;
    int32_t id = 0;
    if (ortiva_create("Ortiva.clscryptor", &cipher, nullptr) != ORTIVA_OK ||
        ortiva_id_of_name(cipher, "EnCrypt", &id, nullptr) != ORTIVA_OK) {
        state.SkipWithError("cannot create Ortiva.clscryptor");
        return;
    }
    // A host keeps its argument variants and gets a fresh result each call.
    ortiva_variant args[2] = {};
    ortiva_variant_set_string(&args[0], text.data(), text.size());
    ortiva_variant_set_string(&args[1], key.data(), key.size());
    for (auto _ : state) {
        ortiva_variant result = {};
        if (ortiva_invoke(cipher, id, ORTIVA_METHOD, args, 2, &result, nullptr) != ORTIVA_OK)
            state.SkipWithError("EnCrypt failed");
        benchmark::DoNotOptimize(result.value.string.data);
        ortiva_variant_clear(&result);
    }
    ortiva_variant_clear(&args[0]);
    ortiva_variant_clear(&args[1]);
    ortiva_release(cipher);
}

}  // namespace

BENCHMARK(Direct);
BENCHMARK(LateBoundCpp);
BENCHMARK(LateBoundC);
