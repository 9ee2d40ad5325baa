// Any: the type-erased value in which a task keeps its result. A task stores
// an Any::Derived<Win32xx::CString> (a path) or an Any::Derived<unsigned long>
// (an exit code); a reader asks for the type it expects with As<T>().
#pragma once

#include <memory>
#include <utility>

struct Any {
    struct Base {
        virtual ~Base() = default;
        // A new copy of the value, owned by the caller.
        virtual std::unique_ptr<Base> clone() const = 0;

        // The held value when it is a T, otherwise null.
        template <typename T>
        const T* As() const;
    };

    template <typename T>
    struct Derived : Base {
        explicit Derived(T content) : value(std::move(content)) {}
        std::unique_ptr<Base> clone() const override { return std::make_unique<Derived>(value); }

        T value;
    };
};

template <typename T>
const T* Any::Base::As() const
{
    const auto* derived = dynamic_cast<const Derived<T>*>(this);
    return derived ? &derived->value : nullptr;
}
