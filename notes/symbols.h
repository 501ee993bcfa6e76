#pragma once

#include "platform/context.h"

#include <QWidget>

namespace mensurio {

class Symbols : public QWidget {
    Q_OBJECT
public:
    explicit Symbols(Context& context);

    void Form_Load();

private:
    Context& context_;
};

} // namespace mensurio
