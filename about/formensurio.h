#pragma once

#include "platform/context.h"

#include <QWidget>

namespace mensurio {

class ForMensurio : public QWidget {
    Q_OBJECT
public:
    explicit ForMensurio(Context& context);

    void Form_Load();

private:
    Context& context_;
};

} // namespace mensurio
