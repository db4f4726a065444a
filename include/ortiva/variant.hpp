#pragma once

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
    struct NullTag {
        friend bool operator==(NullTag, NullTag) { return true; }
    };
    struct ErrorCode {
        int32_t code;
        friend bool operator==(ErrorCode a, ErrorCode b) { return a.code == b.code; }
    };

    Variant() = default;
    Variant(int16_t v) : value_(v) {}
    Variant(int32_t v) : value_(v) {}
    Variant(float v) : value_(v) {}
    Variant(double v) : value_(v) {}
    Variant(Date v) : value_(v) {}
    Variant(bool v) : value_(v) {}
    Variant(std::string v) : value_(std::move(v)) {}
    Variant(std::string_view v) : value_(std::string(v)) {}
    Variant(const char* v) : value_(std::string(v)) {}
    Variant(std::shared_ptr<HostObject> v) : value_(std::move(v)) {}
    Variant(VariantArray v);
    Variant(NullTag) : value_(NullTag{}) {}
    Variant(ErrorCode e) : value_(e) {}

    Variant(const Variant& other);
    Variant(Variant&&) noexcept = default;
    Variant& operator=(const Variant& other);
    Variant& operator=(Variant&&) noexcept = default;
    ~Variant();

    static Variant null() { return Variant(NullTag{}); }
    static Variant missing() { return Variant(ErrorCode{missing_code}); }
    static Variant error(int32_t code) { return Variant(ErrorCode{code}); }

    VariantKind kind() const;
    bool is_empty() const { return kind() == VariantKind::Empty; }
    bool is_null() const { return kind() == VariantKind::Null; }
    bool is_missing() const;
    bool is_string() const { return kind() == VariantKind::String; }
    bool is_object() const { return kind() == VariantKind::Object; }
    bool is_array() const { return kind() == VariantKind::Array; }
    /// Integer, Long, Single or Double (not Boolean, Date or text).
    bool is_number() const;

    // Held-value accessors: throw ErrorInfo 13 when the kind differs.
    int16_t integer() const;
    int32_t long_value() const;
    float single() const;
    double dbl() const;
    Date date() const;
    bool boolean() const;
    const std::string& str() const;
    /// The object (nullptr for an Object variant set to Nothing).
    const std::shared_ptr<HostObject>& object() const;
    int32_t error_code() const;
    const VariantArray& array() const;
    VariantArray& array();

    /// Identical kind and value (not the run time's loose comparison).
    friend bool operator==(const Variant& a, const Variant& b);

  private:
    struct ArrayBox;
    using Storage =
        std::variant<std::monostate, NullTag, int16_t, int32_t, float, double, Date, std::string,
                     std::shared_ptr<HostObject>, ErrorCode, bool, std::unique_ptr<ArrayBox>>;
    Storage value_;
};

/// An array of Variant with one or more dimensions and any lower bounds, or one that was never
/// given elements. Element access checks bounds and dimensions and fails with error 9 exactly
/// where the classic run time does.
class ORTIVA_API VariantArray {
  public:
    struct Bounds {
        int32_t lower;
        int32_t upper;
    };

    /// An array that was never given elements: lbound and ubound fail with 9.
    VariantArray() = default;
    /// One dimension with lower bound 0 (an empty list gives upper bound -1).
    VariantArray(std::initializer_list<Variant> items);
    explicit VariantArray(std::vector<Variant> items, int32_t lower_bound = 0);
    /// Any number of dimensions, elements Empty, stored with the first subscript fastest.
    static VariantArray with_bounds(std::vector<Bounds> dims);

    bool allocated() const { return allocated_; }
    int dimensions() const { return static_cast<int>(dims_.size()); }
    /// dimension counts from 1; fails with 9 when unallocated or out of range.
    int32_t lbound(int dimension = 1) const;
    int32_t ubound(int dimension = 1) const;
    /// Number of elements (0 when unallocated).
    std::size_t size() const { return items_.size(); }

    /// One-subscript access: fails with 9 unless the array has one dimension and i is inside.
    const Variant& at(int32_t i) const;
    Variant& at(int32_t i);
    const Variant& operator[](int32_t i) const { return at(i); }
    Variant& operator[](int32_t i) { return at(i); }
    /// Access with one subscript per dimension.
    const Variant& at(const std::vector<int32_t>& subscripts) const;
    Variant& at(const std::vector<int32_t>& subscripts);

    /// The elements in storage order.
    const std::vector<Variant>& items() const { return items_; }

    friend bool operator==(const VariantArray& a, const VariantArray& b);

  private:
    std::size_t offset(const std::vector<int32_t>& subscripts) const;

    bool allocated_ = false;
    std::vector<Bounds> dims_;
    std::vector<Variant> items_;
};

struct ORTIVA_API Variant::ArrayBox {
    VariantArray array;
};

}  // namespace ortiva
