// Internal to the run-time layer: the widget behind every ring. A ring is
// chosen from its open list; that pick, the entry already shown included, is
// the operator's commit. QComboBox also steps its item on a wheel turn or an
// arrow key over the closed box and reports that as activated too, so a turn
// of the wheel on its way through the window would be a choice nobody made
// (for the port selector: a port change that ends run mode). The closed ring
// therefore passes the wheel on to the window and ignores the keys that would
// step it (Alt+Up among them) and the text typed or committed by an input
// method, which would jump to an entry; Alt+Down, F4 and Space still open the
// list.
#ifndef KVOR_RUNTIME_USERINT_RING_WIDGET_H
#define KVOR_RUNTIME_USERINT_RING_WIDGET_H

#include <QComboBox>

namespace uilayer {

class RingComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit RingComboBox(QWidget *parent = nullptr);
  // The port selector looks at the machine's serial devices before its list
  // opens.
  void showPopup() override;

 protected:
  bool event(QEvent *event) override;
  void wheelEvent(QWheelEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void inputMethodEvent(QInputMethodEvent *event) override;
};

}  // namespace uilayer

#endif
