#include "mainwindow/InterfaceTip.h"

#include <iterator>

namespace netpeek {

namespace {

constexpr wchar_t kLineBreak[] = L"\r\n";

// IfOperStatusUp (1) to IfOperStatusLowerLayerDown (7), in that order.
constexpr const wchar_t* kOperStatusTexts[] = {
    L"работает", L"отключён", L"в режиме проверки", L"неизвестно", L"в режиме ожидания", L"отсутствует",
    L"отключён нижний уровень",
};

}  // namespace

std::wstring FormatPhysicalAddress(std::span<const std::uint8_t> bytes) {
    constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring text;
    for (std::uint8_t b : bytes) {
        if (!text.empty())
            text += L'-';
        text += kHex[b >> 4];
        text += kHex[b & 0x0F];
    }
    return text;
}

std::wstring OperStatusText(std::uint32_t status) {
    constexpr std::size_t count = std::size(kOperStatusTexts);
    if (status >= 1 && status <= count)
        return kOperStatusTexts[status - 1];
    return L"неизвестное значение " + std::to_wstring(status);
}

std::wstring InterfaceTipText(std::uint32_t index, const AdapterMap& adapters) {
    const auto found = adapters.find(index);
    if (found == adapters.end())
        return L"Нет сведений об интерфейсе " + std::to_wstring(index) + L".";
    const AdapterInfo& a = found->second;
    // A loopback or tunnel interface has no physical address at all.
    const std::wstring physical = a.physicalAddress.empty() ? L"нет" : FormatPhysicalAddress(a.physicalAddress);
    return L"Интерфейс: " + a.friendlyName + kLineBreak + L"Описание: " + a.description + kLineBreak +
           L"Физический адрес: " + physical + kLineBreak + L"Состояние: " + OperStatusText(a.operStatus) +
           kLineBreak + L"MTU: " + std::to_wstring(a.mtu);
}

std::wstring AdaptersUnavailableText(std::wstring_view reason) {
    return L"Сведения об интерфейсах недоступны: " + std::wstring(reason);
}

}  // namespace netpeek
