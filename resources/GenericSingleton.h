// The base of the process-wide singletons: instance() creates the one object
// on its first call, under one process-wide lock, and the object is never
// destroyed (it lives until the process ends).
#pragma once

#include "framework/CriticalSection.h"

// The lock that every singleton's creation takes.
Win32xx::CCriticalSection& SingletonCreationLock();

template <typename T>
class GenericSingleton {
public:
    virtual ~GenericSingleton() = default;

    static T& instance()
    {
        Win32xx::CThreadLock lock(SingletonCreationLock());
        static T* object = nullptr;
        if (!object)
            object = new T;
        return *object;
    }
};
