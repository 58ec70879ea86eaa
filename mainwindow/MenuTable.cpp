#include "mainwindow/MenuTable.h"

namespace netpeek {

const std::vector<MenuItem>& MenuTitles() {
    static const std::vector<MenuItem> titles = {
        {MenuArray::Main, 0, L"\u0424\u0430\u0439\u043B", L"", true},                  // Файл
        {MenuArray::Main, 1, L"\u041F\u0440\u0430\u0432\u043A\u0430", L"", true},      // Правка
        {MenuArray::Main, 2, L"\u0421\u043F\u0440\u0430\u0432\u043A\u0430", L"", true},  // Справка
    };
    return titles;
}

const std::vector<MenuItem>& MenuItems() {
    static const std::vector<MenuItem> items = {
        // Экспорт в файл...
        {MenuArray::File, 0, L"\u042D\u043A\u0441\u043F\u043E\u0440\u0442 \u0432 \u0444\u0430\u0439\u043B...", L"F2", true},
        {MenuArray::File, 1, L"-", L"", true},
        // Выход; "Esc" joins it when the window loads.
        {MenuArray::File, 100, L"\u0412\u044B\u0445\u043E\u0434", L"", true},
        // Обновить
        {MenuArray::Edit, 0, L"\u041E\u0431\u043D\u043E\u0432\u0438\u0442\u044C", L"F5", true},
        // The separator, Выделить всё and Удалить have no command and are not shown.
        {MenuArray::Edit, 1, L"-", L"", false},
        {MenuArray::Edit, 10, L"\u0412\u044B\u0434\u0435\u043B\u0438\u0442\u044C \u0432\u0441\u0451", L"Ctrl+A", false},
        {MenuArray::Edit, 11, L"\u0423\u0434\u0430\u043B\u0438\u0442\u044C", L"Del", false},
        // Содержание...
        {MenuArray::Help, 0, L"\u0421\u043E\u0434\u0435\u0440\u0436\u0430\u043D\u0438\u0435...", L"F1", true},
        {MenuArray::Help, 1, L"-", L"", true},
        // О программе...
        {MenuArray::Help, 2, L"\u041E \u043F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u0435...", L"Shift+F1", true},
    };
    return items;
}

}  // namespace netpeek
