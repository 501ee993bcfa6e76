#pragma once

#include "platform/context.h"

#include <QWidget>

namespace mensurio {

class AboutApp : public QWidget {
    Q_OBJECT
public:
    explicit AboutApp(Context& context);

    void Form_Load();

private:
    Context& context_;
};

} // namespace mensurio
