// Placeholders until the motion code lands; this file is deleted then.
#include "board.h"

bool Board::setDcRegister(quint8, quint16) { return false; }
quint16 Board::dcRegister(quint8) { return 0; }
void Board::on_slHorizontal_valueChanged(int) {}
void Board::on_slHorizontal_actionTriggered(int) {}
void Board::on_slHorizontal_sliderReleased() {}
void Board::on_cbAutoupdate_clicked(bool) {}
void Board::on_pbReset_clicked() {}
