#include "ui/viewer_texts.h"

#include <cstdio>

#include "core/format_string.h"
#include "pipeline/viewer_state.h"

// Plural forms: English and German have one and many; Russian one (1, 21, ...), few
// (2-4, 22-24, ...) and many.
constexpr unsigned PLURAL_ONE = 0, PLURAL_FEW = 1, PLURAL_MANY = 2;

const ViewerTexts ENGLISH_TEXTS = {
    "%u-colour palette",
    "%u distinct",
    "%u frames",
    "zoom %u\u00d7",
    "fit %u %%",
    "no picture in this file",
    "the file ends before the picture is complete",
    "the JPEG data could not be decoded: showing a test pattern",
    "the picture is all one colour",
    "colour %u",
    "Wrote %s to %s",
    "Cannot open %s: %s",
    {"Wrote %u file to %s", "Wrote %u files to %s", "Wrote %u files to %s"},
    "Cannot write %s: %s",
    "not a regular file",
    "No further logo file here",
    "No earlier logo file here",
    "Save As PNG",
    "PNG files",
    "%s already exists.\nReplace it?",
    "%u files already exist, %s among them.\nReplace them?",
    "Replace",
    "Cancel",
    "All logo files",
    "All files",
    "Palette",
    "Colour %u: R %u, G %u, B %u",
    "%u colours; point at a swatch",
    "Not an indexed picture: more than 256 colours",
    "Frame delay",
    "%s (%u of %u)",
    "Previous frame (Left)",
    "Play or stop (Space)",
    "Next frame (Right)",
    "Copied %u \u00d7 %u pixels to the clipboard",
    "Nothing copied: no picture, or too large for the clipboard",
    "Logos in ROM",
    {"Offset", "Found in", "Compression", "Format", "Size", "Frames"},
    "Logos found: %u",
    "Open",
    "No logo found in this file",
    "Open ROM image",
    "ROM images",
    "ROM image: %s\nFound at 0x%08llx: %s, %s",
    "&Replace...",
    "Replace logo",
    "&Picture...",
    "&Save As...",
    "Slot: %s, %s, %ux%u. Choose a picture or logo file, or drop one here.",
    "Choose a picture or logo file",
    "Save ROM As",
    "The ROM image %s cannot be read again.",
    "Cannot use %s as the new logo: %s",
    "Note: %s",
    "Refused: %s",
    "Not written: %s is the opened ROM or the picture.",
    {},
};

const ViewerTexts GERMAN_TEXTS = {
    "%u-Farben-Palette",
    "%u verschiedene",
    "%u Bildlagen",
    "Zoom %u\u00d7",
    "eingepasst %u %%",
    "kein Bild in dieser Datei",
    "die Datei endet, bevor das Bild vollst\u00e4ndig ist",
    "die JPEG-Daten lassen sich nicht dekodieren: ein Testbild wird gezeigt",
    "das Bild hat nur eine Farbe",
    "Farbe %u",
    "%s nach %s geschrieben",
    "Kann %s nicht \u00f6ffnen: %s",
    {"%u Datei nach %s geschrieben", "%u Dateien nach %s geschrieben", "%u Dateien nach %s geschrieben"},
    "Kann %s nicht schreiben: %s",
    "keine regul\u00e4re Datei",
    "Keine weitere Logo-Datei hier",
    "Keine fr\u00fchere Logo-Datei hier",
    "Speichern als PNG",
    "PNG-Dateien",
    "%s gibt es schon.\nErsetzen?",
    "%u Dateien gibt es schon, darunter %s.\nErsetzen?",
    "Ersetzen",
    "Abbrechen",
    "Alle Logo-Dateien",
    "Alle Dateien",
    "Palette",
    "Farbe %u: R %u, G %u, B %u",
    "%u Farben; auf ein Feld zeigen",
    "Kein indiziertes Bild: mehr als 256 Farben",
    "Bildlagen-Dauer",
    "%s (%u von %u)",
    "Vorherige Bildlage (Links)",
    "Abspielen oder anhalten (Leertaste)",
    "N\u00e4chste Bildlage (Rechts)",
    "%u \u00d7 %u Pixel in die Zwischenablage kopiert",
    "Nichts kopiert: kein Bild, oder zu gro\u00df f\u00fcr die Zwischenablage",
    "Logos im ROM",
    {"Position", "Gefunden in", "Kompression", "Format", "Gr\u00f6\u00dfe", "Bildlagen"},
    "Gefundene Logos: %u",
    "\u00d6ffnen",
    "In dieser Datei wurde kein Logo gefunden",
    "ROM-Abbild \u00f6ffnen",
    "ROM-Abbilder",
    "ROM-Abbild: %s\nGefunden bei 0x%08llx: %s, %s",
    "&Ersetzen...",
    "Logo ersetzen",
    "&Bild...",
    "&Speichern als...",
    "Platz: %s, %s, %ux%u. Ein Bild oder eine Logo-Datei w\u00e4hlen oder hierher ziehen.",
    "Bild oder Logo-Datei w\u00e4hlen",
    "ROM speichern als",
    "Das ROM-Abbild %s l\u00e4sst sich nicht noch einmal lesen.",
    "%s taugt nicht als neues Logo: %s",
    "Hinweis: %s",
    "Abgelehnt: %s",
    "Nicht geschrieben: %s ist das ge\u00f6ffnete ROM oder das Bild.",
    {"Platz: %s", "gepackte Gr\u00f6\u00dfe: %llu -> %llu Bytes; Raum %llu, %lld frei",
     "verschoben: %llu Container dahinter um %+lld Bytes", "korrigiert: %s", "Pr\u00fcfung fehlgeschlagen: %s",
     "gepr\u00fcft: %zu Pr\u00fcfungen bestanden"},
};

const ViewerTexts RUSSIAN_TEXTS = {
    "палитра на %u цветов",
    "различных: %u",
    "кадров: %u",
    "масштаб %u×",
    "по окну %u %%",
    "в этом файле нет картинки",
    "файл кончается раньше картинки",
    "данные JPEG не декодируются: показана тестовая картинка",
    "картинка одного цвета",
    "цвет %u",
    "Записан %s в %s",
    "Не удалось открыть %s: %s",
    {"Записан %u файл в %s", "Записано %u файла в %s", "Записано %u файлов в %s"},
    "Не удалось записать %s: %s",
    "это не обычный файл",
    "Дальше файлов с логотипами нет",
    "Раньше файлов с логотипами нет",
    "Сохранить как PNG",
    "Файлы PNG",
    "%s уже есть.\nЗаменить?",
    "Файлов, которые уже есть: %u, среди них %s.\nЗаменить?",
    "Заменить",
    "Отмена",
    "Все файлы логотипов",
    "Все файлы",
    "Палитра",
    "Цвет %u: R %u, G %u, B %u",
    "Цветов: %u; наведите на клетку",
    "Не индексная картинка: больше 256 цветов",
    "Задержка кадра",
    "%s (%u из %u)",
    "Предыдущий кадр (Влево)",
    "Пуск или стоп (Пробел)",
    "Следующий кадр (Вправо)",
    "Скопировано в буфер обмена: %u \u00d7 %u точек",
    "Ничего не скопировано: нет картинки или она слишком велика",
    "Логотипы в ПЗУ",
    {"Смещение", "Где найден", "Сжатие", "Формат", "Размер", "Кадров"},
    "Найдено логотипов: %u",
    "Открыть",
    "В этом файле логотипов не найдено",
    "Открыть образ ПЗУ",
    "Образы ПЗУ",
    "Образ ПЗУ: %s\nНайден по смещению 0x%08llx: %s, %s",
    "&Заменить...",
    "Замена логотипа",
    "&Картинка...",
    "&Сохранить как...",
    "Ячейка: %s, %s, %ux%u. Выберите картинку или файл логотипа либо перетащите его сюда.",
    "Выбор картинки или файла логотипа",
    "Сохранить образ ПЗУ как",
    "Образ ПЗУ %s не удалось прочитать ещё раз.",
    "%s не годится как новый логотип: %s",
    "Примечание: %s",
    "Отказано: %s",
    "Не записано: %s — это открытый образ ПЗУ или картинка.",
    {"ячейка: %s", "упакованный размер: %llu -> %llu байт; место %llu, осталось %lld",
     "сдвинуто контейнеров за ним: %llu, на %+lld байт", "исправлено: %s", "проверка не прошла: %s",
     "проверено, пройдено проверок: %zu"},
};

const ViewerTexts& texts()
{
    switch (viewer_state().language) {
    case LANGUAGE_GERMAN: return GERMAN_TEXTS;
    case LANGUAGE_RUSSIAN: return RUSSIAN_TEXTS;
    default: return ENGLISH_TEXTS;
    }
}

namespace {

unsigned plural_form(unsigned n)
{
    if (viewer_state().language != LANGUAGE_RUSSIAN)
        return n == 1 ? PLURAL_ONE : PLURAL_MANY;
    const unsigned tens = n % 100, ones = n % 10;
    if (ones == 1 && tens != 11)
        return PLURAL_ONE;
    if (ones >= 2 && ones <= 4 && (tens < 12 || tens > 14))
        return PLURAL_FEW;
    return PLURAL_MANY;
}

}  // namespace

std::string wrote_file_text(const std::string& file, const std::string& dir)
{
    return format_string(texts().wroteOne, file.c_str(), dir.c_str());
}

std::string wrote_files_text(unsigned count, const std::string& dir)
{
    return format_string(texts().wrote[plural_form(count)], count, dir.c_str());
}
