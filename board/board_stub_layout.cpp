// Placeholders until the layout code lands; this file is deleted then.
#include "board.h"

void Board::loadConfiguration(const QString &) {}
void Board::relayoutMatrix() {}
void Board::allOn() {}
void Board::allOff() {}
QStringList Board::deviceAddressTexts() const { return {}; }
void Board::setBuck1Enabled(bool) {}
void Board::setBuck2Enabled(bool) {}
void Board::on_pbLoadConfiguration_clicked() {}
void Board::on_slAll_valueChanged(int) {}
void Board::on_spAllDC_editingFinished() {}
void Board::SWMoved(int) {}
void Board::on_cbByRow_clicked(bool) {}
void Board::on_cbBySW_clicked(bool) {}
void Board::on_cbByRowIndependent_clicked(bool) {}
void Board::on_cbExtended_clicked(bool) {}
void Board::addressChangedSlot() {}
