#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace runtime {

// Type codes as the platform numbers them (VarType).
enum class VarType : int {
    Empty = 0,
    Null = 1,
    Integer = 2,
    Long = 3,
    Double = 5,
    Date = 7,
    String = 8,
    Boolean = 11,
};

// The platform's untyped value. Empty is "never assigned" (counts as 0 or ""), Null is
// "no value" (propagates through arithmetic; comparisons with it are never true).
class Variant {
public:
    Variant() = default;
    Variant(bool b) : type_(VarType::Boolean), v_(b) {}
    Variant(std::int16_t i) : type_(VarType::Integer), v_(std::int32_t{i}) {}
    Variant(std::int32_t l) : type_(VarType::Long), v_(l) {}
    Variant(double d) : type_(VarType::Double), v_(d) {}
    Variant(std::string s) : type_(VarType::String), v_(std::move(s)) {}
    Variant(std::string_view s) : Variant(std::string(s)) {}
    Variant(const char* s) : Variant(std::string(s)) {}

    static Variant null() {
        Variant v;
        v.type_ = VarType::Null;
        return v;
    }
    static Variant date(double dayNumber) {
        Variant v(dayNumber);
        v.type_ = VarType::Date;
        return v;
    }

    VarType type() const { return type_; }
    bool isNull() const { return type_ == VarType::Null; }
    bool isEmpty() const { return type_ == VarType::Empty; }
    bool isNumeric() const {
        return type_ == VarType::Integer || type_ == VarType::Long || type_ == VarType::Double ||
               type_ == VarType::Date || type_ == VarType::Boolean;
    }
    bool isString() const { return type_ == VarType::String; }

    // Raw access; the caller has checked the type.
    bool rawBool() const { return std::get<bool>(v_); }
    std::int32_t rawInt() const { return std::get<std::int32_t>(v_); }
    double rawDouble() const { return std::get<double>(v_); }
    const std::string& rawString() const { return std::get<std::string>(v_); }

    // Same type and same value (Null equals Null here): for tests and containers,
    // not the platform's "=" (see Eq in VariantOps.h).
    friend bool operator==(const Variant& a, const Variant& b) {
        return a.type_ == b.type_ && a.v_ == b.v_;
    }

private:
    VarType type_ = VarType::Empty;
    std::variant<std::monostate, bool, std::int32_t, double, std::string> v_;
};

} // namespace runtime
