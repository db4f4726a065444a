#include "ortiva/clscryptor.hpp"

#include <cstdlib>
#include <utility>

#include "cipher/ansi_codes.hpp"
#include "cipher/basic_random.hpp"
#include "cipher/stages.hpp"
#include "ortiva/error_info.hpp"

namespace ortiva {

namespace {

// The steps draw from one shared generator between seeding and the keystream; a generator
// per call, seeded by the same steps, gives the same keystream without the sharing.
cipher::BasicRandom seeded_from(const std::string& key) {
    cipher::BasicRandom rng;
    cipher::SeedFromKey(rng, cipher::to_ansi_codes(key));
    return rng;
}

}  // namespace

std::string clscryptor::EnCrypt(const std::string& eText, const std::string& eKey) {
    cipher::BasicRandom rng = seeded_from(eKey);
    bool lossless = true;
    std::string text = cipher::to_ansi_codes(eText, &lossless);
    // A character without a code would come back as '?': refuse rather than lose it.
    if (!lossless) raise(err::invalid_call);
    cipher::ApplyKeyStream(rng, text);
    std::string packed = cipher::PackSixBit(text);
    std::string result;
    result.reserve(packed.size());
    cipher::append_utf8(result, packed, 13);
    remember(eKey, std::move(packed));
    return result;
}

std::string clscryptor::DeCrypt(const std::string& dText, const std::string& dKey) {
    std::string shifted = cipher::to_ansi_codes(dText);
    for (char& ch : shifted) {
        ch = static_cast<char>(std::abs(static_cast<unsigned char>(ch) - 13));
    }
    cipher::BasicRandom rng = seeded_from(dKey);
    std::string text = cipher::UnpackSixBit(shifted);
    cipher::ApplyKeyStream(rng, text);
    std::string result;
    result.reserve(text.size());
    cipher::append_utf8(result, text);
    remember(dKey, std::move(text));
    return result;
}

void clscryptor::remember(const std::string& key, std::string text) {
    std::string old_key = key;
    {
        std::lock_guard lock(mutex_);
        cipherKey.swap(old_key);
        workText.swap(text);
    }
    // The previous values are freed here, outside the lock.
}

}  // namespace ortiva
