#pragma once
// Which engine module answers a COM class on an engine thread. Two fixed, ordered tables: one for object
// creation, one for class-object requests, which differ in their members and have no filter modules.
#include "engine/EngineFiles.h"

#include <cstdint>
#include <optional>

namespace movalent {

// A class id laid out as the platform's GUID.
struct ClassId {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};
static_assert(sizeof(ClassId) == 16);

// What the tables need to know about the calling thread's engine.
struct ClassRouteContext {
    IEVERSION version;
    unsigned entryPoints; // ClassModuleBit of every module whose DllGetClassObject the record holds
    bool disableFilters;
};

// Object creation. No value: the system creates the object.
std::optional<ClassModule> RouteCreateInstance(const ClassId& clsid, const ClassRouteContext& context);

// Class-object requests. No value: the system answers.
std::optional<ClassModule> RouteGetClassObject(const ClassId& clsid, unsigned entryPoints);

} // namespace movalent
