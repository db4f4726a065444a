#pragma once

/// \file
/// Symbol visibility for the Ortiva libraries. They are built with hidden visibility by
/// default; ORTIVA_API marks what the shared libraries export. GCC and Clang take the same
/// attribute on definition and use, so one macro serves building and consuming.

#if defined(__GNUC__) || defined(__clang__)
/// Marks a public class or function as part of the exported interface.
#define ORTIVA_API __attribute__((visibility("default")))
/// Keeps a member of an exported class inside the library: it takes or gives internal types.
#define ORTIVA_LOCAL __attribute__((visibility("hidden")))
#else
#define ORTIVA_API
#define ORTIVA_LOCAL
#endif
