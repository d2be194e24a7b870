#pragma once
// The program's pictures, drawn by the program itself.

#include <QPixmap>

namespace valmoro::app::pictures {

// The picture behind the main window's grid: a thermometer and a drop over a
// soft gradient, scaled to fill the given size.
QPixmap mainPicture(const QSize& size);

enum class Button { Add, Edit, Filter };
// 34 × 34 pictures of the tool strip buttons.
QPixmap buttonPicture(Button kind);

// 128 × 128 picture of the login window (a key over a shield).
QPixmap loginPicture();

// 128 × 128 picture of the entry window (a thermometer with a notepad).
QPixmap entryPicture();

}  // namespace valmoro::app::pictures
