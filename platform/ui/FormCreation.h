#pragma once
// Creating a program's windows at start-up: one instance each, in a fixed order.

#include <QString>
#include <QWidget>
#include <functional>

namespace quill::platform {

/// Told the name of each window right after it was created (tests follow the order with it).
using FormCreated = std::function<void(const QString& name)>;

/// Creates the window `instance` (its create handler runs in its constructor) as a child of
/// `parent` (nullptr for a top-level window), then tells `created` its name.
template <class Form>
Form* CreateForm(Form*& instance, const QString& name, QWidget* parent,
                 const FormCreated& created) {
  instance = new Form(parent);
  if (created) created(name);
  return instance;
}

}  // namespace quill::platform
