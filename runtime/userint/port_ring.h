// Internal to the run-time layer: a ring that lists the serial port table
// (ringSource "comports"), item value = port number.
#ifndef KVOR_RUNTIME_USERINT_PORT_RING_H
#define KVOR_RUNTIME_USERINT_PORT_RING_H

class QComboBox;

namespace uilayer {

class ControlBinding;

bool IsPortRing(const QComboBox *combo);
// Fills the ring from the table. The port shown stays shown while the table
// has it; every item's tooltip tells what hinders its device, if anything.
void FillPortRing(QComboBox *combo, ControlBinding *binding);
// Looks at the machine's devices again, then fills the ring. Raises no event
// and leaves every open port alone.
void RefreshPortRing(QComboBox *combo);
// The ring's own tooltip (from its panel), followed by the hint of the port
// it shows; brought up to date whenever the tooltip is about to show.
void UpdatePortRingToolTip(QComboBox *combo);

}  // namespace uilayer

#endif
