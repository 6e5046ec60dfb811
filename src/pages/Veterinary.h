#pragma once

// [SYSTEM] "IsVet": 0 an ordinary workstation, 1 veterinary for pets, 2 for
// horses. Pages differ in which values they count as veterinary; each rule
// has its name here. A page reads the value once where it always did and
// applies its rules to that value.
#include "settings/Ini.h"
#include "settings/IniKeys.h"

inline int ReadVetKind()
{
    return g_Ini.GetInt(kSystem, kIsVet, 0);
}

// The detector pages' single-detector layout: only the value 1.
inline bool IsPetVet(int kind)
{
    return kind == 1;
}

// Any positive value: one detector at the stand, one workstation name.
inline bool IsAnyVet(int kind)
{
    return kind > 0;
}

// Any value but 0: a species is chosen.
inline bool IsVetSet(int kind)
{
    return kind != 0;
}
