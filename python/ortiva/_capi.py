"""The C interface (ortiva.h) as ctypes declarations, and how the library is found."""

import ctypes
import ctypes.util
import os
from ctypes import (CFUNCTYPE, POINTER, Structure, Union, c_char_p, c_double, c_float,
                    c_int16, c_int32, c_int64, c_size_t, c_void_p)

EMPTY, NULL, INTEGER, LONG, SINGLE, DOUBLE = 0, 1, 2, 3, 4, 5
DATE, STRING, OBJECT, ERROR, BOOLEAN, ARRAY = 7, 8, 9, 10, 11, 8192

OK, FAILED = 0, 1
METHOD, PROPERTY_GET, PROPERTY_LET = 1, 2, 4


class Variant(Structure):
    pass


class _String(Structure):
    # char* kept as an address: the text is counted and may hold NUL.
    _fields_ = [("data", c_void_p), ("length", c_size_t)]


class _Array(Structure):
    _fields_ = [("items", POINTER(Variant)), ("count", c_size_t), ("lower_bound", c_int32)]


class _Value(Union):
    _fields_ = [("integer", c_int16), ("long_value", c_int32), ("single", c_float),
                ("dbl", c_double), ("date", c_double), ("boolean", c_int32),
                ("error_code", c_int32), ("string", _String), ("object", c_void_p),
                ("array", _Array)]


Variant._fields_ = [("kind", c_int32), ("value", _Value)]


class ErrorStruct(Structure):
    _fields_ = [("number", c_int32), ("source", c_void_p), ("description", c_void_p),
                ("help_file", c_void_p), ("help_context", c_int32)]


VariantPtr = POINTER(Variant)
ErrorPtr = POINTER(ErrorStruct)
GetFn = CFUNCTYPE(c_int32, c_void_p, c_char_p, VariantPtr, c_size_t, VariantPtr, ErrorPtr)
LetFn = CFUNCTYPE(c_int32, c_void_p, c_char_p, VariantPtr, VariantPtr, c_size_t, ErrorPtr)
CallFn = CFUNCTYPE(c_int32, c_void_p, c_char_p, VariantPtr, c_size_t, VariantPtr, ErrorPtr)
# const char* returned as an address: ctypes cannot hand back a c_char_p from a callback.
TypeNameFn = CFUNCTYPE(c_void_p, c_void_p)
ReleaseFn = CFUNCTYPE(None, c_void_p)


class HostCallbacks(Structure):
    _fields_ = [("get", GetFn), ("let", LetFn), ("call", CallFn), ("type_name", TypeNameFn),
                ("release", ReleaseFn)]


_signatures = {
    "ortiva_version": (c_char_p, []),
    "ortiva_create": (c_int32, [c_char_p, POINTER(c_void_p), ErrorPtr]),
    "ortiva_predeclared": (c_int32, [c_char_p, POINTER(c_void_p), ErrorPtr]),
    "ortiva_create_control": (c_int32, [c_char_p, c_char_p, POINTER(c_void_p), ErrorPtr]),
    "ortiva_host_object_create": (c_int32, [POINTER(HostCallbacks), c_void_p,
                                            POINTER(c_void_p), ErrorPtr]),
    "ortiva_addref": (None, [c_void_p]),
    "ortiva_release": (None, [c_void_p]),
    "ortiva_live_objects": (c_int64, []),
    "ortiva_id_of_name": (c_int32, [c_void_p, c_char_p, POINTER(c_int32), ErrorPtr]),
    "ortiva_member_flags": (c_int32, [c_void_p, c_int32]),
    "ortiva_invoke": (c_int32, [c_void_p, c_int32, c_int32, VariantPtr, c_size_t, VariantPtr,
                                ErrorPtr]),
    "ortiva_variant_clear": (None, [VariantPtr]),
    "ortiva_variant_set_string": (c_int32, [VariantPtr, c_char_p, c_size_t]),
    "ortiva_variant_set_array": (c_int32, [VariantPtr, c_size_t]),
    "ortiva_variant_set_object": (None, [VariantPtr, c_void_p]),
    "ortiva_strdup": (c_void_p, [c_char_p]),
    "ortiva_error_clear": (None, [ErrorPtr]),
}


def registry_files():
    """The class registries, user first: `<progid>\\t<clsid>\\t<library path>` per line."""
    data = os.environ.get("XDG_DATA_HOME", "")
    if not os.path.isabs(data):
        data = os.path.join(os.path.expanduser("~"), ".local", "share")
    return [os.path.join(data, "ortiva", "classes"), "/etc/ortiva/classes"]


def _class_key(text):
    return text.strip().strip("{}").lower()


def registered_library(class_id=None):
    """The library registered for a programmatic or class id; without one, or when no registry
    names it, the first registered library that exists. None when nothing fits."""
    wanted = _class_key(class_id) if class_id else None
    fallback = None
    for path in registry_files():
        try:
            with open(path, encoding="utf-8") as lines:
                for line in lines:
                    fields = line.rstrip("\r\n").split("\t")
                    if len(fields) != 3 or line.startswith("#"):
                        continue
                    library = fields[2]
                    # A stale line (library removed) must not hide a later, working one.
                    if not os.path.isabs(library) or not os.path.isfile(library):
                        continue
                    if wanted in (_class_key(fields[0]), _class_key(fields[1])):
                        return library
                    fallback = fallback or library
        except OSError:
            continue
    return fallback


def find_library(class_id=None):
    """Where the library is: ORTIVA_LIBRARY, else the class registry, else the linker's
    search path."""
    path = (os.environ.get("ORTIVA_LIBRARY") or registered_library(class_id)
            or ctypes.util.find_library("ortiva_c"))
    if not path:
        raise OSError("the ortiva library was not found: set ORTIVA_LIBRARY to its path or "
                      "register the classes (ortiva component register)")
    return path


_lib = None


def lib(class_id=None):
    """The loaded library, loaded on first use (from where `class_id` is registered)."""
    global _lib
    if _lib is None:
        loaded = ctypes.CDLL(find_library(class_id))
        for name, (restype, argtypes) in _signatures.items():
            function = getattr(loaded, name)
            function.restype = restype
            function.argtypes = argtypes
        _lib = loaded
    return _lib
