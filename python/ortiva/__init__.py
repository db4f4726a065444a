"""Ortiva's classes for Python, late-bound over the library's C interface (ctypes only).

    import ortiva
    cipher = ortiva.create("Ortiva.clscryptor")
    secret = cipher.EnCrypt("open sesame", "key")

Objects resolve a member's name to its dispatch id on first use and keep it. On the four
classes a property reads and assigns as an attribute (``db.strTableName = "Items"``) and a
method is called (``db.fnGetNextMaxNo("Code")``). Controls and other objects that do not say
what kind a member is read with a call: ``combo.ListCount()``, ``lvw.ListItems(1).Text()``;
``combo.List[2]`` reads and ``combo.ItemData[2] = 7`` assigns an indexed property, and
``combo.Text = "x"`` assigns.

Values: str, int (a 16-bit Integer when it fits, else a 32-bit Long), float, bool, None
(Null), ``Missing`` (an omitted argument), ``Empty``, ``Nothing`` (no object), datetime, lists
and tuples (arrays), objects. Results come back the same way; Empty and Nothing come back as
None.

By reference: the library writes back the arguments a member takes by reference (``intIndex``,
``keyascii``, ``strCondition``, the running numbers of the bulk inserts). Pass a ``ByRef`` box
to receive the new value; a plain value is passed all the same and its write-back dropped:

    condition = ortiva.ByRef(" Rate > 5 ")
    db.PopulateListview(lvw, "Items", condition, ["SLNO", "Name"])
    condition.value   # "Rate > 5"

Failures raise ``ortiva.Error`` with ``number``, ``source`` and ``description``.

A Python object passed where the library expects a control stands for it: the library reads
its attributes (``obj.Text``, ``obj.List[i]``), assigns them (``obj.ListIndex = 2``,
``obj.ItemData[i] = code``) and calls its methods (``obj.AddItem("Tools")``), matching names
case-blind; its type name is its class's name, or its ``ortiva_type_name`` attribute, and its
default member (the empty name) the one its ``ortiva_default`` attribute names. An
exception it raises reaches the library as an error (AttributeError 438, IndexError and
KeyError 9, OverflowError 6, TypeError and ValueError 13, ``ortiva.Error`` as it is), and from
there the Python caller, chained to the original.

Objects are released when garbage collected, at the end of a ``with`` block, or by
``release()``. Calls are not synchronised: use an object from one thread at a time.
"""

import datetime
import inspect
import math
import numbers
import threading
from ctypes import addressof, byref, c_int32, c_void_p, create_string_buffer, string_at

from . import _capi
from ._capi import lib as _lib

__all__ = ["create", "predeclared", "control", "live_objects", "version", "Object", "Error",
           "ByRef", "Missing", "Empty", "Nothing", "ErrorValue"]


class Error(Exception):
    """A failure the library reported: the five values of its error information."""

    def __init__(self, number, description="", source="", help_file="", help_context=0):
        super().__init__(number, description)
        self.number = number
        self.description = description
        self.source = source
        self.help_file = help_file
        self.help_context = help_context

    def __str__(self):
        where = f" ({self.source})" if self.source else ""
        return f"error {self.number}{where}: {self.description}"


class MemberError(Error, AttributeError):
    """An object has no member of that name (438); an AttributeError too, so hasattr works."""


class ByRef:
    """A box for an argument the library may write back; read ``value`` after the call."""

    __slots__ = ("value",)

    def __init__(self, value=None):
        self.value = value

    def __repr__(self):
        return f"ByRef({self.value!r})"


class ErrorValue:
    """A variant of the Error kind, such as the missing marker."""

    __slots__ = ("code",)

    def __init__(self, code):
        self.code = code

    def __eq__(self, other):
        return isinstance(other, ErrorValue) and other.code == self.code

    def __hash__(self):
        return hash(self.code)

    def __repr__(self):
        return "Missing" if self.code == _MISSING_CODE else f"ErrorValue({self.code:#x})"


_MISSING_CODE = -2147352572  # 0x80020004
Missing = ErrorValue(_MISSING_CODE)


class _Marker:
    __slots__ = ("_name",)

    def __init__(self, name):
        self._name = name

    def __repr__(self):
        return self._name


Empty = _Marker("Empty")
Nothing = _Marker("Nothing")  # an object variable set to no object (``db.adocon = Nothing``)


# Errors ----------------------------------------------------------------------------------

# (number, exception) of the last failure a host callback reported during the current call
_pending = threading.local()


def _text(address, length=None):
    if not address:
        return ""
    data = string_at(address) if length is None else string_at(address, length)
    return data.decode("utf-8", "surrogateescape")


def _raise(error, cls=Error):
    """Raises the error the library filled in, after freeing its texts."""
    try:
        exc = cls(error.number, _text(error.description), _text(error.source),
                  _text(error.help_file), error.help_context)
    finally:
        _lib().ortiva_error_clear(byref(error))
    # A host callback's exception that became this error is its cause.
    failure = getattr(_pending, "failure", None)
    _pending.failure = None
    raise exc from (failure[1] if failure and failure[0] == exc.number else None)


def _check(status, error, cls=Error):
    if status != _capi.OK:
        _raise(error, cls)


# Values ----------------------------------------------------------------------------------

_EPOCH = datetime.datetime(1899, 12, 30)
_DAY_US = 86400 * 10**6


def _date_number(value):
    if not isinstance(value, datetime.datetime):
        value = datetime.datetime.combine(value, datetime.time())
    delta = value.replace(tzinfo=None) - _EPOCH
    fraction = (delta.seconds * 10**6 + delta.microseconds) / _DAY_US
    # Before the epoch the fraction still counts forward from midnight: -1.25 is 29 Dec, 6:00.
    return delta.days - fraction if delta.days < 0 else delta.days + fraction


def _date_value(number):
    days = math.trunc(number)
    micro = round(abs(number - days) * _DAY_US)
    return _EPOCH + datetime.timedelta(days=days, microseconds=micro)


def _store(v, value):
    """Puts a Python value into an Empty variant, with storage made by the library."""
    lib = _lib()
    if isinstance(value, ByRef):
        value = value.value
    if value is None:
        v.kind = _capi.NULL
    elif value is Empty:
        v.kind = _capi.EMPTY
    elif value is Nothing:
        v.kind, v.value.object = _capi.OBJECT, None
    elif isinstance(value, ErrorValue):
        v.kind, v.value.error_code = _capi.ERROR, value.code
    elif isinstance(value, bool):
        v.kind, v.value.boolean = _capi.BOOLEAN, -1 if value else 0
    elif isinstance(value, numbers.Integral):
        value = int(value)
        if -0x8000 <= value <= 0x7FFF:
            v.kind, v.value.integer = _capi.INTEGER, value
        elif -0x80000000 <= value <= 0x7FFFFFFF:
            v.kind, v.value.long_value = _capi.LONG, value
        elif abs(value) <= 2**53:
            v.kind, v.value.dbl = _capi.DOUBLE, float(value)
        else:
            raise OverflowError(f"{value} does not fit a variant without losing digits")
    elif isinstance(value, numbers.Real):
        v.kind, v.value.dbl = _capi.DOUBLE, float(value)
    elif isinstance(value, str):
        data = value.encode("utf-8", "surrogateescape")
        if lib.ortiva_variant_set_string(byref(v), data, len(data)) != _capi.OK:
            raise MemoryError("no room for a text")
    elif isinstance(value, datetime.date):
        v.kind, v.value.date = _capi.DATE, _date_number(value)
    elif isinstance(value, Object):
        lib.ortiva_variant_set_object(byref(v), value._handle())
    elif isinstance(value, (list, tuple)):
        if lib.ortiva_variant_set_array(byref(v), len(value)) != _capi.OK:
            raise MemoryError("no room for an array")
        items = v.value.array.items
        for i, item in enumerate(value):
            _store(items[i], item)
    elif isinstance(value, (bytes, bytearray, dict, set, frozenset, numbers.Number)):
        raise TypeError(f"a {type(value).__name__} has no variant form")
    else:
        _host_store(v, value)


def _load(v):
    """The Python value of a variant; the variant stays as it is."""
    kind = v.kind
    if kind in (_capi.EMPTY, _capi.NULL):
        return None
    if kind == _capi.INTEGER:
        return v.value.integer
    if kind == _capi.LONG:
        return v.value.long_value
    if kind == _capi.SINGLE:
        return v.value.single
    if kind == _capi.DOUBLE:
        return v.value.dbl
    if kind == _capi.DATE:
        return _date_value(v.value.date)
    if kind == _capi.STRING:
        return _text(v.value.string.data, v.value.string.length)
    if kind == _capi.BOOLEAN:
        return v.value.boolean != 0
    if kind == _capi.ERROR:
        code = v.value.error_code
        return Missing if code == _MISSING_CODE else ErrorValue(code)
    if kind == _capi.OBJECT:
        address = v.value.object
        if not address:
            return None  # Nothing
        host = _hosts_by_address.get(address)
        if host is not None:
            return host.target
        _lib().ortiva_addref(address)
        return Object(address)
    if kind == _capi.ARRAY:
        items = v.value.array.items
        return [_load(items[i]) for i in range(v.value.array.count)]
    raise TypeError(f"a variant of kind {kind} has no Python form")


def _load_all(args, count):
    return [_load(args[i]) for i in range(count)]


# Objects ---------------------------------------------------------------------------------


class Object:
    """One of the library's objects, driven late-bound by member name."""

    __slots__ = ("_address", "_members", "__weakref__")

    def __init__(self, address):
        # Takes over one reference to the object.
        object.__setattr__(self, "_address", address)
        object.__setattr__(self, "_members", {})

    def _handle(self):
        if not self._address:
            raise ValueError("the object has been released")
        return self._address

    def release(self):
        """Drops this wrapper's reference now; the object cannot be used through it after."""
        address, self._address = self._address, None
        if address:
            _lib().ortiva_release(address)

    def __del__(self):
        try:
            self.release()
        except Exception:  # interpreter shutdown: the library may be gone
            pass

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.release()

    def __eq__(self, other):
        return isinstance(other, Object) and self._address == other._address

    def __hash__(self):
        return hash(self._address)

    def __repr__(self):
        state = f"{self._address:#x}" if self._address else "released"
        return f"<ortiva.Object {state}>"

    def _member(self, name):
        member = self._members.get(name)
        if member is None:
            lib = _lib()
            dispid, error = c_int32(), _capi.ErrorStruct()
            status = lib.ortiva_id_of_name(self._handle(), name.encode("utf-8"), byref(dispid),
                                           byref(error))
            _check(status, error, MemberError if error.number == 438 else Error)
            member = (dispid.value, lib.ortiva_member_flags(self._handle(), dispid.value))
            self._members[name] = member
        return member

    def _invoke(self, dispid, how, args):
        lib = _lib()
        count = len(args)
        array = (_capi.Variant * count)() if count else None
        result, error = _capi.Variant(), _capi.ErrorStruct()
        try:
            for i, arg in enumerate(args):
                _store(array[i], arg)
            _pending.failure = None
            status = lib.ortiva_invoke(self._handle(), dispid, how, array, count, byref(result),
                                       byref(error))
            # Written back also when the call fails (a trimmed condition stays trimmed).
            for i, arg in enumerate(args):
                if isinstance(arg, ByRef):
                    arg.value = _load(array[i])
            _check(status, error)
            return _load(result)
        finally:
            for i in range(count):
                lib.ortiva_variant_clear(byref(array[i]))
            lib.ortiva_variant_clear(byref(result))

    def __getattr__(self, name):
        if name.startswith("_"):
            raise AttributeError(name)
        dispid, flags = self._member(name)
        if flags & _capi.METHOD or not flags:
            return _Member(self, dispid, name)
        return self._invoke(dispid, _capi.PROPERTY_GET, ())

    def __setattr__(self, name, value):
        if name.startswith("_"):
            object.__setattr__(self, name, value)
            return
        self._invoke(self._member(name)[0], _capi.PROPERTY_LET, (value,))


class _Member:
    """A member of an object: called, indexed, or (for an object-valued property) followed."""

    __slots__ = ("_owner", "_id", "_name")

    def __init__(self, owner, dispid, name):
        object.__setattr__(self, "_owner", owner)
        object.__setattr__(self, "_id", dispid)
        object.__setattr__(self, "_name", name)

    def __call__(self, *args):
        return self._owner._invoke(self._id, _capi.METHOD, args)

    def __getitem__(self, index):
        index = index if isinstance(index, tuple) else (index,)
        return self._owner._invoke(self._id, _capi.PROPERTY_GET, index)

    def __setitem__(self, index, value):
        index = index if isinstance(index, tuple) else (index,)
        self._owner._invoke(self._id, _capi.PROPERTY_LET, index + (value,))

    def _value(self):
        value = self._owner._invoke(self._id, _capi.PROPERTY_GET, ())
        if not isinstance(value, Object):
            raise TypeError(f"{self._name} is not an object")
        return value

    # A member followed by a name (lvw.ListItems.Count) is an object-valued property.
    def __getattr__(self, name):
        if name.startswith("_"):
            raise AttributeError(name)
        return getattr(self._value(), name)

    def __setattr__(self, name, value):
        setattr(self._value(), name, value)

    def __repr__(self):
        return f"<member {self._name} of {self._owner!r}>"


def _new(function, *names):
    address, error = c_void_p(), _capi.ErrorStruct()
    arguments = [n.encode("utf-8") if n is not None else None for n in names]
    _check(function(*arguments, byref(address), byref(error)), error)
    return Object(address.value)


def create(class_id):
    """A new object from a programmatic id ("Ortiva.ClsCommonDb") or a class id."""
    return _new(_lib(class_id).ortiva_create, class_id)


def predeclared(class_id):
    """The one predeclared instance of ClsCommonDb, clsCommonGen or ClsDBBackupRestore."""
    return _new(_lib(class_id).ortiva_predeclared, class_id)


def control(type_name, name=None):
    """A new headless control: "ComboBox", "ListView", "TreeView", "MSFlexGrid"..."""
    return _new(_lib().ortiva_create_control, type_name, name)


def live_objects():
    """How many objects the library has handed out and not had back (0: it may unload)."""
    return _lib().ortiva_live_objects()


def version():
    """The library's version text."""
    return _lib().ortiva_version().decode("utf-8")


# Host objects: Python objects the library drives as controls -------------------------------


class _Host:
    __slots__ = ("target", "address", "type_name")

    def __init__(self, target):
        self.target = target
        self.address = None
        name = getattr(target, "ortiva_type_name", None) or type(target).__name__
        self.type_name = create_string_buffer(str(name).encode("utf-8"))


_hosts = {}  # handle -> _Host, while the library holds the object
_hosts_by_target = {}  # id(target) -> handle; the _Host keeps the target alive
_hosts_by_address = {}  # ortiva_object address -> _Host
_next_handle = 0
_host_lock = threading.Lock()


def _attribute_name(target, name):
    """The target's own spelling of a member name: exact first, then case-blind. The empty
    name, the default member, is the one the target's ``ortiva_default`` names."""
    if not name:
        name = getattr(target, "ortiva_default", "")
        if not name:
            raise AttributeError(f"{type(target).__name__} has no default member")
    # Looked up without reading the attribute, so that a property's getter runs only once.
    if name in getattr(target, "__dict__", ()) or hasattr(type(target), name):
        return name
    lowered = name.lower()
    for candidate in dir(target):
        if candidate.lower() == lowered:
            return candidate
    if hasattr(target, name):  # answered by __getattr__
        return name
    raise AttributeError(f"{type(target).__name__} has no member {name}")


def _host_get(target, name, index):
    value = getattr(target, _attribute_name(target, name))
    if inspect.isroutine(value):
        return value(*index)
    if index:
        return value[index[0] if len(index) == 1 else tuple(index)]
    return value


def _host_let(target, name, value, index):
    name = _attribute_name(target, name)
    if index:
        getattr(target, name)[index[0] if len(index) == 1 else tuple(index)] = value
    else:
        setattr(target, name, value)


def _host_call(target, name, args):
    while args and args[-1] is Missing:  # so that the method's own defaults apply
        args.pop()
    return _host_get(target, name, args)


# Exceptions of a Python host object as the run-time errors a caller of a control expects.
_EXCEPTION_NUMBERS = [(KeyboardInterrupt, 18, "User interrupt occurred"),
                      (AttributeError, 438, "Object doesn't support this property or method"),
                      ((IndexError, KeyError), 9, "Subscript out of range"),
                      (OverflowError, 6, "Overflow"),
                      ((TypeError, ValueError), 13, "Type mismatch")]


def _fill_error(error, exc):
    if isinstance(exc, Error):
        number, description = exc.number, exc.description
        source, help_file, help_context = exc.source, exc.help_file, exc.help_context
    else:
        number, description = 5, "Invalid procedure call or argument"
        for kinds, known, text in _EXCEPTION_NUMBERS:
            if isinstance(exc, kinds):
                number, description = known, text
                break
        description = f"{description} ({type(exc).__name__}: {exc})"
        source, help_file, help_context = "Python", "", 0
    lib = _lib()
    error.number, error.help_context = number, help_context
    error.source = lib.ortiva_strdup(source.encode("utf-8", "surrogateescape"))
    error.description = lib.ortiva_strdup(description.encode("utf-8", "surrogateescape"))
    error.help_file = lib.ortiva_strdup(help_file.encode("utf-8", "surrogateescape"))


def _guarded(work, result, error, none_is_empty=False):
    """Runs a callback's work; nothing may escape into C, where ctypes would report success."""
    try:
        value = work()
        if result and not (value is None and none_is_empty):
            _store(result.contents, value)
        return _capi.OK
    except BaseException as exc:
        try:
            if result:
                _lib().ortiva_variant_clear(result)
            if error:
                _fill_error(error.contents, exc)
                _pending.failure = (error.contents.number, exc)
        except BaseException:
            pass
        return _capi.FAILED


def _target(handle):
    return _hosts[handle].target


def _member_text(member):
    return member.decode("utf-8", "surrogateescape")


@_capi.GetFn
def _on_get(handle, member, index, count, result, error):
    def get():
        return _host_get(_target(handle), _member_text(member), _load_all(index, count))
    return _guarded(get, result, error)


@_capi.LetFn
def _on_let(handle, member, value, index, count, error):
    def let():
        _host_let(_target(handle), _member_text(member), _load(value[0]),
                  _load_all(index, count))
    return _guarded(let, None, error)


@_capi.CallFn
def _on_call(handle, member, args, count, result, error):
    # A method returning None gives Empty, as a Sub does; a property read of None is Null.
    def call():
        return _host_call(_target(handle), _member_text(member), _load_all(args, count))
    return _guarded(call, result, error, none_is_empty=True)


@_capi.TypeNameFn
def _on_type_name(handle):
    try:
        return addressof(_hosts[handle].type_name)
    except BaseException:
        return None


@_capi.ReleaseFn
def _on_release(handle):
    with _host_lock:
        host = _hosts.pop(handle, None)
        if host is not None:
            _hosts_by_target.pop(id(host.target), None)
            _hosts_by_address.pop(host.address, None)


_callbacks = _capi.HostCallbacks(_on_get, _on_let, _on_call, _on_type_name, _on_release)


def _host_store(v, target):
    """Puts a Python object into a variant as a host object; one per target while held."""
    global _next_handle
    lib = _lib()
    with _host_lock:
        handle = _hosts_by_target.get(id(target))
        if handle is not None:
            lib.ortiva_variant_set_object(byref(v), _hosts[handle].address)
            return
        _next_handle += 1
        handle = _next_handle
        host = _Host(target)
        _hosts[handle] = host
    address, error = c_void_p(), _capi.ErrorStruct()
    status = lib.ortiva_host_object_create(byref(_callbacks), handle, byref(address),
                                           byref(error))
    if status != _capi.OK:
        _hosts.pop(handle, None)
        _raise(error)
    with _host_lock:
        host.address = address.value
        _hosts_by_target[id(target)] = handle
        _hosts_by_address[address.value] = host
    lib.ortiva_variant_set_object(byref(v), address.value)
    lib.ortiva_release(address.value)  # the variant holds the one reference now
