#include "texts/Language.h"

namespace netpeek {

namespace {

constexpr TextEntry kTexts[] = {
    // ---- The window ----
    {TextId::ErrorNumber, L"Ошибка %1: "},
    {TextId::NoReasonGiven, L"Windows не сообщила причину."},
    {TextId::MenuFile, L"Файл"},
    {TextId::MenuEdit, L"Правка"},
    {TextId::MenuHelp, L"Справка"},
    {TextId::MenuExport, L"Экспорт в файл..."},
    {TextId::MenuExit, L"Выход"},
    {TextId::MenuRefresh, L"Обновить"},
    {TextId::MenuSelectAll, L"Выделить всё"},
    {TextId::MenuDelete, L"Удалить"},
    {TextId::MenuContents, L"Содержание..."},
    {TextId::MenuAbout, L"О программе..."},
    {TextId::MenuCopy, L"Копировать"},
    {TextId::MenuAutoRefresh, L"Обновлять автоматически"},
    {TextId::MenuShowIPv6, L"Показывать адреса IPv6"},
    {TextId::MenuHideInterface, L"Скрыть интерфейс «%1»"},
    {TextId::MenuShowAllInterfaces, L"Показать все интерфейсы"},
    {TextId::MenuChangeLog, L"Журнал изменений"},
    {TextId::MenuMinimizeToTray, L"Сворачивать в область уведомлений"},
    {TextId::MenuNotifyChanges, L"Уведомлять об изменениях"},
    {TextId::MenuConnectedOnly, L"Только подключённые интерфейсы"},
    {TextId::MenuStartAtLogon, L"Запускать при входе в Windows"},
    {TextId::MenuCopyColumn, L"Копировать столбец «%1»"},
    {TextId::MenuStoreBesideProgram, L"Хранить настройки рядом с программой"},
    {TextId::MenuColumns, L"Столбцы"},
    {TextId::MenuShowWindow, L"Показать Netpeek"},
    {TextId::MenuCopyPrimary, L"Копировать IP-адрес"},
    {TextId::MenuPhysicalOnly, L"Только физические адаптеры"},
    {TextId::ButtonExport, L"Экспорт"},
    {TextId::ButtonRefresh, L"Обновить"},
    {TextId::ButtonAbout, L"О программе"},
    {TextId::ButtonExportTip, L"Экспортировать в файл (F2)"},
    {TextId::ButtonRefreshTip, L"Обновить список (F5)"},
    {TextId::ButtonAboutTip, L"Показать сведения о программе (Shift+F1)"},
    {TextId::AboutCaption, L"О программе"},
    {TextId::AboutVersion, L"Версия %1"},
    {TextId::AboutDedication, L"Друзьям"},
    {TextId::SaveAsTitle, L""},
    {TextId::ExportFilter, L"Таблицы (*.CSV)|*.CSV|Все файлы|*.*"},
    {TextId::ExportFailed, L"Не удалось сохранить файл."},
    {TextId::SettingsNotWritten, L"Не удалось записать настройки в файл «%1». Программа работает дальше, а изменённые настройки помнит, пока не будет закрыта."},
    {TextId::NewTextKept, L"Новый текст остался в файле «%1»."},
    {TextId::OldFileKept, L" Прежний файл остался в файле «%1»."},
    {TextId::OldFileNotRemoved, L"Новый файл записан, но прежний не удалось удалить: он остался в файле «%1»."},
    {TextId::NoticeTitle, L"Адреса изменились"},
    {TextId::MoreLines, L"…и ещё %1"},
    {TextId::LinkLocalOnly, L"Только локальный адрес %1 — %2"},
    {TextId::NoNetwork, L"Нет подключения к сети"},
    {TextId::NetworkBack, L"Подключение к сети восстановлено"},
    {TextId::NoticePrimary, L"Основной адрес: %1 (%2)"},
    {TextId::NoticeNetwork, L"Основной адрес теперь в сети «%1»: %2"},
    {TextId::NoticeWifi, L"Основной адрес теперь в сети Wi-Fi «%1»: %2"},
    {TextId::TrayNetworkAddress, L"Сеть «%1» — %2"},
    {TextId::TrayWifiAddress, L"Wi-Fi «%1» — %2"},
    {TextId::LogCaption, L"Журнал изменений"},
    {TextId::LogMenu, L"Журнал"},
    {TextId::LogCopy, L"Копировать"},
    {TextId::LogSave, L"Сохранить..."},
    {TextId::LogClose, L"Закрыть"},
    {TextId::LogDropped, L"…ранее: %1"},
    {TextId::TipNoInterface, L"Нет сведений об интерфейсе %1."},
    {TextId::TipNone, L"нет"},
    {TextId::TipInterface, L"Интерфейс: %1"},
    {TextId::TipDescription, L"Описание: %1"},
    {TextId::TipPhysicalAddress, L"Физический адрес: %1"},
    {TextId::TipState, L"Состояние: %1"},
    {TextId::TipMtu, L"MTU: %1"},
    {TextId::TipGateway, L"Основной шлюз: %1"},
    {TextId::TipDnsServers, L"DNS-серверы: %1"},
    {TextId::TipPrimary, L"Основной адрес: %1метрика %2"},
    {TextId::TipPrimaryGateway, L"шлюз %1, "},
    {TextId::TipDhcpServer, L"DHCP-сервер: %1"},
    {TextId::TipLeaseObtained, L"Аренда получена: %1"},
    {TextId::TipLeaseExpires, L"Срок аренды истекает: %1"},
    {TextId::TipNever, L"никогда"},
    {TextId::TipUnavailable, L"Сведения об интерфейсах недоступны: %1"},
    {TextId::TipNetwork, L"Сеть: %1"},
    {TextId::TipNetworkCategory, L"%1 (%2)"},
    {TextId::TipCategoryPublic, L"общедоступная"},
    {TextId::TipCategoryPrivate, L"частная"},
    {TextId::TipCategoryDomain, L"доменная"},
    {TextId::TipReachInternet, L"доступ в Интернет"},
    {TextId::TipReachLocal, L"только локальная сеть"},
    {TextId::TipReachNone, L"без подключения"},
    {TextId::TipWifi, L"Wi-Fi «%1»"},
    {TextId::TipLocationOff,
     L"Windows сообщает имя сети Wi-Fi только программам с доступом к местоположению: "
     L"Параметры → Конфиденциальность и защита → Расположение."},
    {TextId::StateUp, L"работает"},
    {TextId::StateDown, L"отключён"},
    {TextId::StateTesting, L"в режиме проверки"},
    {TextId::StateUnknown, L"неизвестно"},
    {TextId::StateDormant, L"в режиме ожидания"},
    {TextId::StateNotPresent, L"отсутствует"},
    {TextId::StateLowerLayerDown, L"отключён нижний уровень"},
    {TextId::StateOther, L"неизвестное значение %1"},
    // The window's errors
    {TextId::ErrListTooltip, L"Не удалось создать всплывающую подсказку списка."},
    {TextId::ErrTooltipTool, L"Всплывающая подсказка не смогла взять список под своё начало."},
    {TextId::ErrFont, L"Не удалось создать шрифт окна."},
    {TextId::ErrListRows, L"Список не смог вместить %1 строк."},
    {TextId::ErrControls, L"Не удалось создать элементы окна."},
    {TextId::ErrToolbarButtons, L"Не удалось добавить кнопки на панель инструментов."},
    {TextId::ErrListColumn, L"Не удалось добавить в список столбец «%1»."},
    {TextId::ErrMainClass, L"Не удалось зарегистрировать класс главного окна."},
    {TextId::ErrMainWindow, L"Не удалось создать главное окно."},
    {TextId::ErrMenuBarSet, L"Не удалось поставить новую строку меню."},
    {TextId::ErrMenuBar, L"Не удалось создать строку меню."},
    {TextId::ErrMenuToBar, L"Не удалось добавить меню в строку меню."},
    {TextId::ErrExitRead, L"Не удалось прочитать пункт меню «Выход»."},
    {TextId::ErrExitChange, L"Не удалось изменить пункт меню «Выход»."},
    {TextId::ErrMenuToContext, L"Не удалось добавить подменю в контекстное меню."},
    {TextId::ErrMenuItem, L"Не удалось добавить пункт меню."},
    {TextId::ErrTrayDefault, L"Не удалось выделить главный пункт меню значка."},
    {TextId::ErrPictureLoad, L"Не удалось загрузить рисунок %1."},
    {TextId::ErrImageList, L"Не удалось создать набор рисунков панели инструментов."},
    {TextId::ErrPictureAdd, L"Не удалось добавить рисунок %1 на панель инструментов."},
    {TextId::ErrLogonChange, L"Не удалось изменить запуск при входе в %1."},
    {TextId::ErrOwnPath, L"Не удалось узнать путь к самой программе."},
    {TextId::ErrLogClass, L"Не удалось зарегистрировать класс окна журнала."},
    {TextId::ErrLogWindow, L"Не удалось создать окно журнала."},
    {TextId::ErrLogList, L"Не удалось создать список журнала."},
    {TextId::ErrCommonControls, L"Не удалось подготовить стандартные элементы управления Windows."},
    {TextId::ErrAboutWindow, L"Не удалось открыть окно «О программе»."},
    {TextId::ErrSystemFolder, L"Не удалось найти системную папку."},
    {TextId::ErrSystemLibrary, L"Не удалось загрузить системную библиотеку %1."},
    {TextId::ErrSystemFunction, L"В системной библиотеке %2 нет функции %1."},
    {TextId::ErrSaveAsDialog, L"Не удалось показать окно «Сохранить как» (ошибка стандартного диалога %1)."},
    {TextId::ErrMenu, L"Не удалось создать меню."},
    {TextId::ErrShortcuts, L"Не удалось настроить сочетания клавиш."},
    {TextId::ErrAppClass, L"Не удалось зарегистрировать класс окна приложения."},
    {TextId::ErrAppWindow, L"Не удалось создать окно приложения."},
    {TextId::ErrIcon, L"Не удалось загрузить значок «%1»."},
    {TextId::ErrWindowPosition, L"Не удалось узнать положение окна."},
    {TextId::ErrWorkArea, L"Не удалось узнать рабочую область монитора."},
    {TextId::ErrCentre, L"Не удалось поставить окно посередине экрана."},
    {TextId::ErrNoMenuBar, L"У окна нет строки меню."},
    {TextId::ErrMenuTitleRead, L"Не удалось прочитать заголовок меню номер %1."},
    {TextId::ErrMenuTitleChange, L"Не удалось изменить заголовок меню номер %1."},
    {TextId::ErrNoReadMe, L"Нет файла справки номер %1."},
    {TextId::ErrReadMe, L"Не удалось открыть файл справки %1."},
    {TextId::ErrClipboardBusy, L"Буфер обмена занят другой программой."},
    {TextId::ErrClipboardMemory, L"Не хватает памяти, чтобы скопировать текст."},
    {TextId::ErrClipboardEmpty, L"Не удалось очистить буфер обмена."},
    {TextId::ErrClipboardPut, L"Не удалось поместить текст в буфер обмена."},
    // (the window's texts end here)

    // ---- The console twin ----
    {TextId::UnknownArgument, L"Непонятный аргумент командной строки: «%1». Список ключей: Netpeek.exe /?"},
    {TextId::NoFileName, L"После ключа %1 нужно имя файла (- или пустое имя \"\" — стандартный вывод)."},
    {TextId::TwoSaves, L"Задано больше одного ключа сохранения; нужен один из /scomma, /stab, /sjson, /shtml, /sprom."},
    {TextId::NoColumn, L"После ключа /sort нужен столбец: его номер от 0 до %1 или заголовок."},
    {TextId::BadColumn, L"Нет такого столбца: «%1». Столбец задаётся номером от 0 до %2 или заголовком."},
    {TextId::TwoOrders, L"Ключи /sort и /nosort задаются не больше одного раза и не вместе."},
    {TextId::OrderWithoutSave,
     L"Ключи /sort и /nosort действуют только вместе с ключом сохранения: /scomma, /stab, /sjson, /shtml "
     L"или /sprom."},
    {TextId::OrderWithWatch,
     L"Ключи /sort и /nosort не действуют вместе с ключом слежения: его строки идут в порядке самой "
     L"таблицы."},
    {TextId::TwoWatches, L"Задано больше одного ключа слежения; нужен один из /wcomma, /wtab, /wjson, /wprom."},
    {TextId::SaveAndWatch,
     L"Ключи сохранения (/scomma, /stab, /sjson, /shtml, /sprom) и слежения (/wcomma, /wtab, /wjson, "
     L"/wprom) не задаются вместе."},
    {TextId::NoSeconds, L"После ключа /wfor нужно число секунд: целое от 1 до %1."},
    {TextId::BadSeconds, L"Неверное число секунд: «%1». После /wfor нужно целое число от 1 до %2."},
    {TextId::SecondsWithoutWatch,
     L"Ключ /wfor действует только вместе с ключом слежения: /wcomma, /wtab, /wjson или /wprom."},
    {TextId::TwoIPv6, L"Ключи /ipv6 и /noipv6 задаются не больше одного раза и не вместе."},
    {TextId::IPv6WithoutSave,
     L"Ключи /ipv6 и /noipv6 действуют только вместе с ключом сохранения или слежения: /scomma, /stab, "
     L"/sjson, /shtml, /sprom, /wcomma, /wtab, /wjson или /wprom."},
    {TextId::NoColumns,
     L"После ключа /columns нужны столбцы через запятую: номера от 0 до %1 или заголовки, либо all."},
    {TextId::BadColumns,
     L"Нет такого столбца: «%1». Столбцы задаются через запятую номерами от 0 до %2 или заголовками, либо "
     L"all."},
    {TextId::ColumnTwice, L"Столбец «%1» задан в /columns дважды."},
    {TextId::SwitchTwice, L"Ключ %1 задаётся не больше одного раза."},
    {TextId::WithoutSave,
     L"Ключ %1 действует только вместе с ключом сохранения или слежения: /scomma, /stab, /sjson, /shtml, "
     L"/sprom, /wcomma, /wtab, /wjson или /wprom."},
    {TextId::ColumnsWithMetrics,
     L"Ключ /columns не задаётся вместе с /sprom и /wprom: метки метрик всегда одни и те же."},
    {TextId::ConnectedAndAll,
     L"Ключи /connected и /allinterfaces не задаются вместе: /allinterfaces показывает все интерфейсы."},
    {TextId::TrayWithSave,
     L"Ключ /tray открывает окно в области уведомлений и не задаётся вместе с ключом сохранения или "
     L"слежения."},
    {TextId::Usage,
     L"Netpeek [/tray]\r\n"
     L"Netpeek /scomma | /stab | /sjson | /shtml | /sprom ФАЙЛ [/sort [~]СТОЛБЕЦ | /nosort]\r\n"
     L"        [/ipv6 | /noipv6] [/columns СПИСОК] [/allinterfaces | /connected]\r\n"
     L"        [/physical] [/primary]\r\n"
     L"Netpeek /wcomma | /wtab | /wjson | /wprom ФАЙЛ [/wfor СЕКУНДЫ]\r\n"
     L"        [/ipv6 | /noipv6] [/columns СПИСОК] [/allinterfaces | /connected]\r\n"
     L"        [/physical] [/primary]\r\n"
     L"\r\n"
     L"Без ключей программа открывает своё окно; с ключом /tray — скрытым за значком\r\n"
     L"в области уведомлений, когда включено «Сворачивать в область уведомлений»\r\n"
     L"(так её запускает «Запускать при входе в Windows»).\r\n"
     L"С ключом сохранения она записывает таблицу адресов в файл, не показывая окна,\r\n"
     L"и завершается:\r\n"
     L"  /scomma ФАЙЛ     CSV, те же байты, что пишет «Экспорт в файл...» (F2);\r\n"
     L"  /stab ФАЙЛ       поля через табуляцию, без кавычек;\r\n"
     L"  /sjson ФАЙЛ      массив JSON, по объекту на строку таблицы;\r\n"
     L"  /shtml ФАЙЛ      страница HTML с таблицей;\r\n"
     L"  /sprom ФАЙЛ      метрики Prometheus: по ряду на адрес и их счёт (для\r\n"
     L"                   textfile collector у windows_exporter), без /columns.\r\n"
     L"  ФАЙЛ - или \"\" — стандартный вывод (файл с именем «-» — .\\-).\r\n"
     L"  /sort СТОЛБЕЦ    сортировать по столбцу: номер от 0 или заголовок (IP);\r\n"
     L"                   ~ перед ним — по убыванию (/sort ~IP).\r\n"
     L"  /nosort          порядок самой таблицы (по возрастанию адресов).\r\n"
     L"  Без /sort и /nosort действует сортировка, выбранная в окне.\r\n"
     L"  /ipv6            после адресов IPv4 — адреса IPv6;\r\n"
     L"  /noipv6          только адреса IPv4.\r\n"
     L"  Без /ipv6 и /noipv6 — как включено в окне («Показывать адреса IPv6»).\r\n"
     L"  /columns СПИСОК  столбцы через запятую, в этом порядке: номера от 0 до 20\r\n"
     L"                   или заголовки (/columns IP,Name,Gateway); all — все 21.\r\n"
     L"  Без /columns — столбцы, показанные в окне.\r\n"
     L"  /allinterfaces   все интерфейсы, и скрытые в окне;\r\n"
     L"  /connected       только подключённые интерфейсы, без петли;\r\n"
     L"  /physical        только физические адаптеры (Kind: Physical и Wi-Fi).\r\n"
     L"  Без них — интерфейсы, показанные в окне.\r\n"
     L"  /primary         только основной адрес каждого семейства: тот, через\r\n"
     L"                   который уходит трафик (Route: Default).\r\n"
     L"С ключом слежения она пишет строку на каждую строку таблицы (present), затем\r\n"
     L"на каждое изменение, как только его увидит (added, removed; was и now —\r\n"
     L"строка до и после), с полями Time и Event перед столбцами, пока её не прервут\r\n"
     L"(Ctrl+C, закрытие консоли, выход из системы) или не закроют канал:\r\n"
     L"  /wcomma ФАЙЛ     строки CSV под строкой заголовков;\r\n"
     L"  /wtab ФАЙЛ       поля через табуляцию под строкой заголовков;\r\n"
     L"  /wjson ФАЙЛ      JSON Lines: по объекту на строку, без заголовков.\r\n"
     L"  Файл дописывается, а не заменяется; заголовок — только в новый или пустой.\r\n"
     L"  /wprom ФАЙЛ      метрики /sprom и счётчик изменений: файл заменяется\r\n"
     L"                   целиком в начале и после каждого изменения.\r\n"
     L"  /wfor СЕКУНДЫ    закончить через столько секунд (целое от 1).\r\n"
     L"Ключи пишутся с / или -, в любом регистре. Код завершения 0 — успех, иначе\r\n"
     L"номер ошибки Windows (87 — неверные аргументы, 13 — файл других строк)."},
    {TextId::ReadFailed, L"Не удалось прочитать таблицу адресов."},
    {TextId::SaveFailed, L"Не удалось сохранить файл «%1»."},
    {TextId::OutputFailed, L"Не удалось записать таблицу в стандартный вывод."},
    {TextId::ArgumentsFailed, L"Не удалось разобрать командную строку."},
    {TextId::StartFailed, L"Не удалось запустить «%1»."},
    {TextId::LogFailed, L"Не удалось вести журнал изменений в файле «%1»."},
    {TextId::WatchOutputFailed, L"Не удалось записать изменения в стандартный вывод."},
    {TextId::OtherLog,
     L"Его первая строка — не заголовок этих строк (другие столбцы или другой формат); файл оставлен как был."},
    {TextId::WatchStopEvent, L"Не удалось создать событие, которым останавливается слежение."},
    {TextId::WatchWindowClass, L"Не удалось зарегистрировать класс скрытого окна слежения."},
    {TextId::HtmlIPv4Table, L"Таблица IPv4-адресов"},
    {TextId::HtmlBothTable, L"Таблица IPv4- и IPv6-адресов"},
    {TextId::HtmlMade, L"Составлена: %1"},
    {TextId::CellTooLong, L"Не удалось прочитать ячейку списка: она слишком длинная."},
    {TextId::MessageLoopFailed, L"Не удалось дождаться следующего сообщения."},
    {TextId::AddrTableTooShort, L"Таблица адресов длиной %1 байт слишком коротка даже для числа строк."},
    {TextId::AddrTableNegative, L"Число строк таблицы адресов отрицательно (%1)."},
    {TextId::AddrTableClaims, L"В таблице адресов указано %1 строк, но её %2 байт вмещают только %3."},
    {TextId::IPv4Unreadable, L"Не удалось прочитать таблицу IPv4-адресов."},
    {TextId::IPv4Growing, L"Таблица IPv4-адресов всё росла, пока её читали."},
    {TextId::IPv4Unfollowed, L"Не удалось следить за изменениями таблицы IPv4-адресов."},
    {TextId::IPv6Unreadable, L"Не удалось прочитать таблицу IPv6-адресов."},
    {TextId::IPv6Unfollowed, L"Не удалось следить за изменениями таблицы IPv6-адресов."},
    {TextId::RoutesUnreadable, L"Не удалось прочитать таблицу маршрутов."},
    {TextId::AdaptersUnreadable, L"Не удалось прочитать сведения о сетевых адаптерах."},
    {TextId::AdaptersGrowing, L"Список сетевых адаптеров всё рос, пока его читали."},
    {TextId::AdaptersMalformed, L"Список сетевых адаптеров повреждён: %1"},
    {TextId::AdapterPart, L"адаптер %1"},
    {TextId::AdapterFieldPart, L"адаптер %1, %2"},
    {TextId::AdapterNameField, L"имя"},
    {TextId::AdapterDescriptionField, L"описание"},
    {TextId::AdapterGuidField, L"GUID"},
    {TextId::AdapterDhcpv4Field, L"DHCPv4-сервер"},
    {TextId::AdapterDhcpv6Field, L"DHCPv6-сервер"},
    {TextId::AdapterAddressEntry, L"адрес"},
    {TextId::AdapterAddressList, L"адреса"},
    {TextId::AdapterGatewayEntry, L"шлюз"},
    {TextId::AdapterGatewayList, L"шлюзы"},
    {TextId::AdapterDnsEntry, L"DNS-сервер"},
    {TextId::AdapterDnsList, L"DNS-серверы"},
    {TextId::PartOutside, L"%1: за пределами буфера."},
    {TextId::PartRunsOut, L"%1: выходит за пределы буфера."},
    {TextId::PartTooShortForState, L"%1: длина %2 байт, слишком мало для состояния."},
    {TextId::PartTooShortForAddress, L"%1: длина %2 байт, слишком мало для адреса."},
    {TextId::PartTooShortForFamily, L"%1: длина %2 байт, слишком мало для %3."},
    {TextId::PartNotAscii, L"%1: не ASCII."},
    {TextId::PartPhysicalAddress, L"%1: физический адрес длиной %2 байт."},
    {TextId::ListInCircle, L"адаптер %1, %2: список замкнут в круг."},
    {TextId::ChainInCircle, L"цепочка адаптеров замкнута в круг."},
    {TextId::SettingsCutShort, L"Файл настроек обрывается посреди символа."},
    {TextId::SettingsNotUtf8, L"Файл настроек помечен как UTF-8, но это не текст UTF-8."},
    {TextId::SectionUnwritable, L"Раздел «%1» нельзя записать строкой файла настроек."},
    {TextId::SettingsNotMoved, L"Не удалось перенести настройки в %1; они остаются в %2. %3"},
    {TextId::KeyUnreadable, L"Не удалось прочитать %1."},
    {TextId::KeyUndeletable, L"Не удалось удалить %1."},
    {TextId::SettingUnstorable, L"Не удалось сохранить параметр «%1» в %2."},
    {TextId::SettingUndeletable, L"Не удалось удалить параметр «%1» из %2."},
    // (the console's texts end here)
};
static_assert(HoldsEveryText(kTexts), "every text, once, in the identifiers' order");

}  // namespace


extern const Language kRussian{L"ru", L"Русский", L"ReadMe.txt", kTexts};

}  // namespace netpeek
