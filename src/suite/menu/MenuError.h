#pragma once

#include <QString>
#include <stdexcept>

namespace evapre {

// A failed call to the menu program: not running, gone away, or a refused request.
class MenuError : public std::runtime_error {
  public:
    explicit MenuError(const QString& text) : std::runtime_error(text.toStdString()), mText(text) {}
    const QString& text() const { return mText; }

  private:
    QString mText;
};

}  // namespace evapre
