#pragma once

#include "ResultPacket.h"

#include <QMainWindow>
#include <QStandardItemModel>
#include <memory>
#include <optional>

class ModuleLibrary;

namespace Ui
{
class TillWindow;
}

// The till's main window: the Z reduction's key, "Impostos" that calls the module for it (also
// on Return), the returned lines with their status, and "Gravar" that stores them. Each call's
// outcome is printed on standard output too, for scripts.
class TillWindow : public QMainWindow
{
    Q_OBJECT

public:
    struct Key {
        QString branch, till, zCounter, date; // the date as YYYY-MM-DD
    };

    TillWindow(ModuleLibrary &module, const Key &key, int timerCallMs);
    ~TillWindow() override;

private slots:
    void CallModule();
    void Store();

private:
    static double DateTime(const QString &isoDate);
    void CallFromTimer();
    void ShowLines(const ResultPacket &packet);

    std::unique_ptr<Ui::TillWindow> m_ui;
    ModuleLibrary &m_module;
    QStandardItemModel m_lines;
    std::optional<ResultPacket> m_result;
    int m_timerCallMs;
};
