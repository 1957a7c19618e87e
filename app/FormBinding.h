// The bridge between the window's controls and an AuctionForm: one walk over the table of
// inputs, each found by its member's name, converting QString <-> Windows-1250 and
// "\n" <-> CR LF on the way. The controls hold the truth; a snapshot is a copy for the core.
#pragma once

#include <QString>

#include <functional>
#include <span>
#include <string_view>
#include <variant>
#include <vector>

#include "model/AuctionForm.h"
#include "model/FormFields.h"

class QObject;
class QWidget;

namespace licytek {

// A text that cannot go into the form because the code page cannot hold some of it.
struct UnheldText {
    const FormField* field = nullptr;
    QString characters;  // the distinct characters that do not fit
};

// The seller's message naming the field and the characters.
QString UnheldTextMessage(const UnheldText& unheld);

class FormBinding {
  public:
    // Finds the control of every input under `root`; throws std::logic_error naming the first
    // input that has no control of the right kind.
    explicit FormBinding(QWidget& root);

    // Every input's current value, or the first text that the code page cannot hold.
    std::variant<AuctionForm, UnheldText> Snapshot() const;

    // The named inputs' current values over a default form, for a command that needs only a
    // few of them (the others are not read, so a long description is not converted in vain).
    std::variant<AuctionForm, UnheldText> Snapshot(std::span<const std::string_view> names) const;

    // Writes every input, in the table's order.
    void Restore(const AuctionForm& form) const;

    // Writes the named inputs, in the order given. A switch that changes runs its reactions
    // as a click would; setting a list position runs none.
    void Restore(const AuctionForm& form, std::span<const std::string_view> names) const;

    // Runs `reaction` whenever any of the named inputs (all when none are named) changes,
    // whatever its kind, for as long as `context` lives.
    void OnAnyChange(QObject* context, const std::function<void()>& reaction,
                     std::span<const std::string_view> names = {}) const;
    // Ends every reaction of `context` to the inputs. A context that is being destroyed calls
    // it first: Qt disconnects only once the QObject part goes, after the controls, which
    // may still signal while they are destroyed.
    void StopReactions(QObject* context) const;

    // The control of an input, or nullptr for a name that is no input.
    QWidget* Control(std::string_view name) const;

    struct Binding {
        const FormField* field;
        QWidget* control;
    };
    std::span<const Binding> Bindings() const { return bindings_; }

  private:
    const Binding& BindingOf(std::string_view name) const;

    std::vector<Binding> bindings_;
};

}  // namespace licytek
