#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "ortiva/date.hpp"
#include "ortiva/export.hpp"

namespace ortiva {

class HostObject;
class VariantArray;

/// The kinds a Variant can hold, numbered as the classic run time numbers them.
enum class VariantKind : int {
    Empty = 0,
    Null = 1,
    Integer = 2,  // 16-bit
    Long = 3,     // 32-bit
    Single = 4,
    Double = 5,
    Date = 7,
    String = 8,
    Object = 9,
    Error = 10,
    Boolean = 11,
    Array = 8192,
};

/// The value of an omitted optional argument: an Error-kind Variant holding this code.
inline constexpr int32_t missing_code = static_cast<int32_t>(0x80020004u);

/// A tagged value. Copying copies arrays by value and objects by reference, as the classic
/// run time does. Reading a value of another kind goes through the conversions in
/// conversions.hpp; the accessors here return the held value only.
class ORTIVA_API Variant {
  public:
    /// The tag of a Null value (Variant::null()).
    struct NullTag {
        /// All Null tags are equal.
        friend bool operator==(NullTag, NullTag) { return true; }
    };
    /// The payload of an Error-kind value.
    struct ErrorCode {
        /// The error number (missing_code marks an omitted argument).
        int32_t code;
        /// Equal when the codes are equal.
        friend bool operator==(ErrorCode a, ErrorCode b) { return a.code == b.code; }
    };

    Variant() = default;
    /// Integer (16-bit).
    Variant(int16_t v) : value_(v) {}
    /// Long (32-bit).
    Variant(int32_t v) : value_(v) {}
    /// Single.
    Variant(float v) : value_(v) {}
    /// Double.
    Variant(double v) : value_(v) {}
    /// Date.
    Variant(Date v) : value_(v) {}
    /// Boolean.
    Variant(bool v) : value_(v) {}
    /// String.
    Variant(std::string v) : value_(std::move(v)) {}
    /// String (copied).
    Variant(std::string_view v) : value_(std::string(v)) {}
    /// String (copied); a null pointer is the empty string.
    Variant(const char* v) : value_(std::string(v ? v : "")) {}
    /// Object, shared with the caller; nullptr is Nothing.
    Variant(std::shared_ptr<HostObject> v) : value_(std::move(v)) {}
    /// Nothing (without this, nullptr would pick the string constructor).
    Variant(std::nullptr_t) : value_(std::shared_ptr<HostObject>()) {}
    /// Array, held by value.
    Variant(VariantArray v);
    /// Null.
    Variant(NullTag) : value_(NullTag{}) {}
    /// Error holding \p e.code.
    Variant(ErrorCode e) : value_(e) {}

    /// Copies arrays deeply and shares objects.
    Variant(const Variant& other) = default;
    /// Moves; the source is left valid but unspecified.
    Variant(Variant&&) noexcept = default;
    /// Copies arrays deeply and shares objects.
    Variant& operator=(const Variant& other) = default;
    /// Moves; the source is left valid but unspecified.
    Variant& operator=(Variant&&) noexcept = default;
    ~Variant() = default;

    /// A Null value.
    static Variant null() { return Variant(NullTag{}); }
    /// The value of an omitted optional argument (Error holding missing_code).
    static Variant missing() { return Variant(ErrorCode{missing_code}); }
    /// An Error-kind value holding \p code.
    static Variant error(int32_t code) { return Variant(ErrorCode{code}); }

    /// The kind of the held value.
    VariantKind kind() const {
        // Indexed as Storage lists its alternatives.
        static constexpr VariantKind kinds[] = {
            VariantKind::Empty,  VariantKind::Null,   VariantKind::Integer, VariantKind::Long,
            VariantKind::Single, VariantKind::Double, VariantKind::Date,    VariantKind::String,
            VariantKind::Object, VariantKind::Error,  VariantKind::Boolean, VariantKind::Array};
        const std::size_t i = value_.index();
        return i < std::size(kinds) ? kinds[i] : VariantKind::Array;
    }
    /// True for a default-constructed (Empty) value.
    bool is_empty() const { return kind() == VariantKind::Empty; }
    /// True for Null.
    bool is_null() const { return kind() == VariantKind::Null; }
    /// True only for an Error holding missing_code.
    bool is_missing() const {
        const auto* e = std::get_if<ErrorCode>(&value_);
        return e && e->code == missing_code;
    }
    /// True for String.
    bool is_string() const { return kind() == VariantKind::String; }
    /// True for Object, including Nothing.
    bool is_object() const { return kind() == VariantKind::Object; }
    /// True for Array.
    bool is_array() const { return kind() == VariantKind::Array; }
    /// Integer, Long, Single or Double (not Boolean, Date or text).
    bool is_number() const {
        return std::holds_alternative<int16_t>(value_) || std::holds_alternative<int32_t>(value_) ||
               std::holds_alternative<float>(value_) || std::holds_alternative<double>(value_);
    }

    // Held-value accessors: throw ErrorInfo 13 when the kind differs.
    /// The Integer held; ErrorInfo 13 for any other kind.
    int16_t integer() const { return held<int16_t>(); }
    /// The Long held; ErrorInfo 13 for any other kind.
    int32_t long_value() const { return held<int32_t>(); }
    /// The Single held; ErrorInfo 13 for any other kind.
    float single() const { return held<float>(); }
    /// The Double held; ErrorInfo 13 for any other kind.
    double dbl() const { return held<double>(); }
    /// The Date held; ErrorInfo 13 for any other kind.
    Date date() const { return held<Date>(); }
    /// The Boolean held; ErrorInfo 13 for any other kind.
    bool boolean() const { return held<bool>(); }
    /// The String held; ErrorInfo 13 for any other kind.
    const std::string& str() const { return held<std::string>(); }
    /// The object (nullptr for an Object variant set to Nothing).
    const std::shared_ptr<HostObject>& object() const {
        return held<std::shared_ptr<HostObject>>();
    }
    /// The code of the Error held; ErrorInfo 13 for any other kind.
    int32_t error_code() const { return held<ErrorCode>().code; }
    /// The Array held; ErrorInfo 13 for any other kind.
    const VariantArray& array() const;
    /// The Array held, for changing in place; ErrorInfo 13 for any other kind.
    VariantArray& array();

    /// Identical kind and value (not the run time's loose comparison).
    friend bool operator==(const Variant& a, const Variant& b);

  private:
    struct ArrayBox;
    // Holds an array on the heap so that Variant stays small; copies it deeply.
    struct ArrayRef {
        explicit ArrayRef(VariantArray v);
        ArrayRef(const ArrayRef& other);
        ArrayRef(ArrayRef&&) noexcept = default;
        ArrayRef& operator=(const ArrayRef& other);
        ArrayRef& operator=(ArrayRef&&) noexcept = default;
        ~ArrayRef();
        bool operator==(const ArrayRef& other) const;

        std::unique_ptr<ArrayBox> box;
    };
    using Storage =
        std::variant<std::monostate, NullTag, int16_t, int32_t, float, double, Date, std::string,
                     std::shared_ptr<HostObject>, ErrorCode, bool, ArrayRef>;

    // The held T; ErrorInfo 13 for any other kind.
    template <typename T>
    const T& held() const {
        if (const T* p = std::get_if<T>(&value_)) return *p;
        type_mismatch();
    }
    [[noreturn]] static void type_mismatch();

    Storage value_;
};

/// An array of Variant with one or more dimensions and any lower bounds, or one that was never
/// given elements. Element access checks bounds and dimensions and fails with error 9 exactly
/// where the classic run time does.
class ORTIVA_API VariantArray {
  public:
    /// The bounds of one dimension, both inclusive.
    struct Bounds {
        /// Lowest subscript.
        int32_t lower;
        /// Highest subscript (lower - 1 for an empty dimension).
        int32_t upper;
    };

    /// An array that was never given elements: lbound and ubound fail with 9.
    VariantArray() = default;
    /// One dimension with lower bound 0 (an empty list gives upper bound -1).
    VariantArray(std::initializer_list<Variant> items);
    /// One dimension starting at \p lower_bound; fails with 6 when the upper bound would
    /// exceed the 32-bit range.
    explicit VariantArray(std::vector<Variant> items, int32_t lower_bound = 0);
    /// Any number of dimensions, elements Empty, stored with the first subscript fastest.
    /// Fails with 9 when a dimension has upper < lower - 1, with 7 when too large to hold.
    static VariantArray with_bounds(std::vector<Bounds> dims);

    /// False for an array that was never given elements.
    bool allocated() const { return allocated_; }
    /// Number of dimensions (0 when unallocated).
    int dimensions() const { return static_cast<int>(dims_.size()); }
    /// dimension counts from 1; fails with 9 when unallocated or out of range.
    int32_t lbound(int dimension = 1) const;
    /// Upper bound of \p dimension; fails like lbound().
    int32_t ubound(int dimension = 1) const;
    /// Number of elements (0 when unallocated).
    std::size_t size() const { return items_.size(); }

    /// One-subscript access: fails with 9 unless the array has one dimension and i is inside.
    const Variant& at(int32_t i) const;
    /// One-subscript access for changing the element; fails like the const overload.
    Variant& at(int32_t i);
    /// Same as at(int32_t) const.
    const Variant& operator[](int32_t i) const { return at(i); }
    /// Same as at(int32_t).
    Variant& operator[](int32_t i) { return at(i); }
    /// Access with one subscript per dimension.
    const Variant& at(const std::vector<int32_t>& subscripts) const;
    /// Access with one subscript per dimension, for changing the element.
    Variant& at(const std::vector<int32_t>& subscripts);

    /// The elements in storage order.
    const std::vector<Variant>& items() const { return items_; }

    /// Same allocation state, bounds and elements.
    friend bool operator==(const VariantArray& a, const VariantArray& b);

  private:
    std::size_t offset(const int32_t* subscripts, std::size_t count) const;

    bool allocated_ = false;
    std::vector<Bounds> dims_;
    std::vector<Variant> items_;
};

/// Holds an array on the heap so that Variant stays small; internal.
struct ORTIVA_API Variant::ArrayBox {
    /// The held array.
    VariantArray array;
};

inline Variant::ArrayRef::~ArrayRef() = default;

}  // namespace ortiva
