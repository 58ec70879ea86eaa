#pragma once
// The text of the tooltip that names the interface of the row under the pointer.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "support/AdapterInfo.h"

namespace netpeek {

// The bytes as Windows writes a physical address: upper-case hex pairs joined by hyphens.
std::wstring FormatPhysicalAddress(std::span<const std::uint8_t> bytes);

// The interface's state in words, for every IF_OPER_STATUS value.
std::wstring OperStatusText(std::uint32_t status);

// One labelled line each for name, description, physical address, state and MTU; for an
// index that no adapter has, one line saying so.
std::wstring InterfaceTipText(std::uint32_t index, const AdapterMap& adapters);

// The one line shown instead when the adapters could not be read.
std::wstring AdaptersUnavailableText(std::wstring_view reason);

}  // namespace netpeek
