#pragma once
// The members a page finds on window.external, per engine version: each version's engine offered pages a
// different set, and a page tested in a tab must see exactly what that version would give it. Every member
// does the same thing (it tells the user that the page called it), so a map is just names in DISPID order.
#include "engine/IeVersion.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace movalent {

// The names of one version's members; a member's DISPID is its index.
using WindowExternalMap = std::span<const wchar_t* const>;

// IE 5.5 and IE 6 share one map, IE 7 has its own, IE 8 and every other value (Default IE included) the
// newest one. Default IE must be resolved to the installed engine first (ResolveExternalVersion).
WindowExternalMap WindowExternalMapFor(IEVERSION version);

// The version whose map a thread gets: its own engine's, or the installed engine's when the thread has no
// engine of its own (threadVersion empty) or runs Default IE.
IEVERSION ResolveExternalVersion(std::optional<IEVERSION> threadVersion, IEVERSION installedVersion);

// The DISPID of a name, compared without regard to case as automation names are; empty when the map does
// not hold it.
std::optional<long> FindExternalMember(WindowExternalMap map, std::wstring_view name);
// The name behind a DISPID; null when the map has no such member.
const wchar_t* ExternalMemberName(WindowExternalMap map, long dispid);

// What the user is told when a page calls a member: "window.external.<name> method called".
std::wstring ExternalCallMessage(std::wstring_view name);

} // namespace movalent
