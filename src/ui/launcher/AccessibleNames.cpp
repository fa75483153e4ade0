#include "ui/launcher/AccessibleNames.h"
#include "ui/QtText.h"

#include "core/path/PathHelpers.h"
#include "core/store/ButtonStore.h"

#include <QWidget>

namespace tavolin {

namespace {

void Name(QWidget* window, const char* objectName, const QString& name,
          const QString& description = {}) {
    if (auto* w = window->findChild<QWidget*>(QLatin1String(objectName))) {
        w->setAccessibleName(name);
        if (!description.isEmpty())
            w->setAccessibleDescription(description);
    }
}

void Describe(QWidget* window, const char* objectName, const QString& description) {
    if (auto* w = window->findChild<QWidget*>(QLatin1String(objectName)))
        w->setAccessibleDescription(description);
}

} // namespace

QString SlotKeyText(int n) {
    const QString key = QStringLiteral("F%1").arg((n - 1) % 12 + 1);
    return n <= 12 ? key : QStringLiteral("Shift+") + key;
}

QString SlotAccessibleName(int n, const QString& title, bool used) {
    return SlotKeyText(n) + QStringLiteral(": ") + (used ? title : QStringLiteral("空き"));
}

void NameWindowControls(QWidget* window) {
    window->setAccessibleName(QStringLiteral("Tavolin"));
    Name(window, "lblTitle", QStringLiteral("Tavolin"));
    Name(window, "edtPage", QStringLiteral("ページ"),
         QStringLiteral("↑↓ または PageUp PageDown でページを変えます"));
    Name(window, "udPage", QStringLiteral("ページ 上下"));
    Name(window, "tlbExc", QStringLiteral("起動ボタン"),
         QStringLiteral("F1～F12 が上の段、Shift+F1～Shift+F12 が下の段"));
    Name(window, "ggResSys", QStringLiteral("Sys 空きリソース"));
    Name(window, "ggResGDI", QStringLiteral("GDI 空きリソース"));
    Name(window, "ggResUser", QStringLiteral("User 空きリソース"));
    Name(window, "ggCPU", QStringLiteral("CPU 使用率"));
    // The clock and the memory figures change every tick: their texts stay their names (a
    // reader reads the time itself), and the description says what the figure is.
    Describe(window, "lblNow", QStringLiteral("時計"));
    Describe(window, "lblAvailMem", QStringLiteral("空きメモリ"));
    Describe(window, "lblTotalMem", QStringLiteral("全メモリ"));
    Name(window, "btnInf", QStringLiteral("情報枠の表示切り替え"));
    Name(window, "btnOpt", QStringLiteral("オプション機能ボタンの表示切り替え"));
    Name(window, "imgDel", QStringLiteral("削除エリア"),
         QStringLiteral("ドロップしたファイルを完全に削除します"));
    Name(window, "imgGom", QStringLiteral("ごみ箱エリア"),
         QStringLiteral("ドロップしたファイルをごみ箱に移します"));
}

void NameSlotsAndCategory(QWidget* window, const ButtonStore& store, PathStyle style) {
    for (int n = 1; n <= 24; ++n) {
        auto* button = window->findChild<QWidget*>(QStringLiteral("tlb%1").arg(n));
        if (button == nullptr)
            continue;
        const bool used = store.IsUsed(n);
        button->setAccessibleName(SlotAccessibleName(n, Q(store.BtnTitle(n)), used));
        QString path;
        if (used) {
            const std::string& file = store.BtnFile(n);
            path = Q(file.empty() ? store.BtnPath(n) : JoinPath(store.BtnPath(n), file, style));
        }
        button->setAccessibleDescription(path);
    }
    Name(window, "bbtnCategory", QStringLiteral("カテゴリー: ") + Q(store.CurrentCategory()));
}

} // namespace tavolin
