/* Ortiva's C interface: late-bound objects for hosts that are not C++.
 *
 * Everything crosses as plain C: UTF-8 texts, opaque object handles and a tagged variant whose
 * storage the library allocates and the caller frees. A host creates an object by programmatic
 * id ("Ortiva.clscryptor") or class id, asks for a member's dispatch id by name once, then
 * invokes by id with an array of variants. Arguments the member takes by reference are written
 * back into the caller's array.
 *
 * Ownership, in one rule: whatever the library writes into an `ortiva_variant`, `ortiva_error`
 * or `ortiva_object*` out-parameter belongs to the caller, who frees it with
 * `ortiva_variant_clear`, `ortiva_error_clear` or `ortiva_release`. Variants the caller passes as
 * arguments stay the caller's; a by-reference argument is cleared and refilled in place, so it
 * must hold only storage made by this library (the `ortiva_variant_set_*` functions) or none.
 *
 * Calls are not synchronised: one object is used by one thread at a time.
 */
#ifndef ORTIVA_H
#define ORTIVA_H

#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__) || defined(__clang__)
#define ORTIVA_C_API __attribute__((visibility("default")))
#else
#define ORTIVA_C_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/** An object: an instance of one of the four classes, a headless control or a host object. */
typedef struct ortiva_object ortiva_object;

/** What a variant holds; the values are those of `ortiva::VariantKind`. */
typedef enum ortiva_kind {
    ORTIVA_EMPTY = 0,
    ORTIVA_NULL = 1,
    ORTIVA_INTEGER = 2, /* 16-bit */
    ORTIVA_LONG = 3,    /* 32-bit */
    ORTIVA_SINGLE = 4,
    ORTIVA_DOUBLE = 5,
    ORTIVA_DATE = 7, /* days since 30 December 1899, the fraction being the time of day */
    ORTIVA_STRING = 8,
    ORTIVA_OBJECT = 9,
    ORTIVA_ERROR = 10, /* 0x80020004 is the missing marker of an omitted argument */
    ORTIVA_BOOLEAN = 11,
    ORTIVA_ARRAY = 8192 /* one dimension */
} ortiva_kind;

typedef struct ortiva_variant ortiva_variant;

/** A tagged value. Read the member that `kind` names; zero-initialised is Empty. */
struct ortiva_variant {
    int32_t kind;
    union {
        int16_t integer;
        int32_t long_value;
        float single;
        double dbl;
        double date;
        int32_t boolean; /* -1 true, 0 false */
        int32_t error_code;
        struct {
            char* data; /* UTF-8, NUL-terminated; may also contain NUL */
            size_t length;
        } string;
        ortiva_object* object; /* one reference, owned by the variant */
        struct {
            ortiva_variant* items;
            size_t count;
            int32_t lower_bound;
        } array;
    } value;
};

/** A failure: the five values every error of the library carries. Texts are UTF-8. */
typedef struct ortiva_error {
    int32_t number;
    char* source;
    char* description;
    char* help_file;
    int32_t help_context;
} ortiva_error;

/** Results of the functions below. */
#define ORTIVA_OK 0
#define ORTIVA_FAILED 1 /* the `ortiva_error` out-parameter (when not NULL) says why */

/** How a member is invoked; also the bits of `ortiva_member_flags`. */
#define ORTIVA_METHOD 1
#define ORTIVA_PROPERTY_GET 2
#define ORTIVA_PROPERTY_LET 4

/** The library's version text, for example "0.1.0". */
ORTIVA_C_API const char* ortiva_version(void);

/* Objects ---------------------------------------------------------------------------------- */

/** Creates a new object from a programmatic id ("Ortiva.ClsCommonDb") or a class id
 *  ("F1486979-65E2-4911-A753-6FBAAB68925C", braces optional, case-blind). */
ORTIVA_C_API int32_t ortiva_create(const char* id, ortiva_object** out, ortiva_error* error);

/** The predeclared instance of an application-object class (one per class per process);
 *  `clscryptor` has none and fails. Returns a new reference to it. */
ORTIVA_C_API int32_t ortiva_predeclared(const char* id, ortiva_object** out, ortiva_error* error);

/** Creates a headless control: "ComboBox", "ListBox", "TextBox", "ListView", "TreeView",
 *  "MSFlexGrid", "CheckBox", "Label", "Frame", "Form"... `name` may be NULL. */
ORTIVA_C_API int32_t ortiva_create_control(const char* type_name, const char* name,
                                           ortiva_object** out, ortiva_error* error);

/** Callbacks through which a host's own object (a control written in the host's language)
 *  answers the library. Each returns ORTIVA_OK, or ORTIVA_FAILED after filling `error` with
 *  strings made by `ortiva_strdup`. `result` arrives Empty; fill it with library-made storage. */
typedef struct ortiva_host_callbacks {
    int32_t (*get)(void* self, const char* member, const ortiva_variant* index, size_t count,
                   ortiva_variant* result, ortiva_error* error);
    int32_t (*let)(void* self, const char* member, const ortiva_variant* value,
                   const ortiva_variant* index, size_t count, ortiva_error* error);
    int32_t (*call)(void* self, const char* member, ortiva_variant* args, size_t count,
                    ortiva_variant* result, ortiva_error* error);
    /** The control's type name ("ComboBox", ...) as the library tests it; static storage. */
    const char* (*type_name)(void* self);
    /** Called once when the library drops its last reference; may be NULL. */
    void (*release)(void* self);
} ortiva_host_callbacks;

/** Wraps a host's object so that the library can drive it like its own controls. The table
 *  must outlive the object. */
ORTIVA_C_API int32_t ortiva_host_object_create(const ortiva_host_callbacks* callbacks, void* self,
                                               ortiva_object** out, ortiva_error* error);

/** Adds a reference to an object; `ortiva_release` drops one. */
ORTIVA_C_API void ortiva_addref(ortiva_object* object);
ORTIVA_C_API void ortiva_release(ortiva_object* object);

/** Objects this interface has handed out and not yet released: 0 means the library may be
 *  unloaded. */
ORTIVA_C_API int64_t ortiva_live_objects(void);

/* Late-bound calls ------------------------------------------------------------------------- */

/** A member's dispatch id by name, case-blind. Unknown names fail with 438. */
ORTIVA_C_API int32_t ortiva_id_of_name(ortiva_object* object, const char* name, int32_t* id,
                                       ortiva_error* error);

/** How a member may be invoked (ORTIVA_METHOD | ORTIVA_PROPERTY_GET | ORTIVA_PROPERTY_LET), or
 *  0 when the object does not say (host objects and controls answer any name). */
ORTIVA_C_API int32_t ortiva_member_flags(ortiva_object* object, int32_t id);

/** Invokes a member. `how` is one of ORTIVA_METHOD, ORTIVA_PROPERTY_GET, ORTIVA_PROPERTY_LET;
 *  for a let, the value is the last argument. Omitted optional arguments are passed as the
 *  missing marker or left off the end. By-reference arguments are written back into `args`.
 *  `result` (may be NULL) receives the result, Empty for members without one. A wrong number
 *  of arguments fails with 450, an argument of the wrong kind with 13. */
ORTIVA_C_API int32_t ortiva_invoke(ortiva_object* object, int32_t id, int32_t how,
                                   ortiva_variant* args, size_t count, ortiva_variant* result,
                                   ortiva_error* error);

/* Storage ---------------------------------------------------------------------------------- */

/** Frees what a variant holds and leaves it Empty; arrays are freed element by element. */
ORTIVA_C_API void ortiva_variant_clear(ortiva_variant* variant);

/** Replaces a variant's value by a copy of `length` bytes of UTF-8 text. */
ORTIVA_C_API int32_t ortiva_variant_set_string(ortiva_variant* variant, const char* text,
                                               size_t length);

/** Replaces a variant's value by an array of `count` Empty items with lower bound 0. */
ORTIVA_C_API int32_t ortiva_variant_set_array(ortiva_variant* variant, size_t count);

/** Replaces a variant's value by a new reference to `object`. */
ORTIVA_C_API void ortiva_variant_set_object(ortiva_variant* variant, ortiva_object* object);

/** A library-made copy of a NUL-terminated text, for callbacks filling an `ortiva_error`. */
ORTIVA_C_API char* ortiva_strdup(const char* text);

/** Frees an error's texts and zeroes it. */
ORTIVA_C_API void ortiva_error_clear(ortiva_error* error);

#ifdef __cplusplus
}
#endif

#endif /* ORTIVA_H */
