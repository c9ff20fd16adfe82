#pragma once

#include <QWidget>

#include <array>

class QPushButton;
class QWidget;

namespace kivo {

struct AppData;
struct FuncItem;
class Sender;

// The four function-key buttons and "SET" on the tab row. Each key sends its stored string with
// the keys' framing; "SET" opens the modal "Setting Function Key" dialog.
class FuncKeyBar : public QWidget
{
    Q_OBJECT
public:
    explicit FuncKeyBar(QWidget *parent);

    // The keys need the send operation and the key table; until attached they do nothing.
    void attach(Sender &sender, AppData &data);

    // Shows one entry on its button: a non-empty caption replaces the button's caption (an empty
    // one leaves it as it is), and the button is enabled when the entry is.
    void applyKey(int k, const FuncItem &item);
    // Applies all four entries of the table (start-up).
    void applyKeys();

    void cmdFuncKey_Click(int k);
    void cmdFuncKeySet_Click();

private:
    std::array<QPushButton *, 4> m_cmdFuncKey{};
    QPushButton *m_cmdFuncKeySet = nullptr;
    Sender *m_sender = nullptr;
    AppData *m_data = nullptr;
};

} // namespace kivo
