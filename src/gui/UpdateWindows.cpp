#include "gui/UpdateWindows.h"

#include "gui/UpdateForm.h"

TUpdateWindows::TUpdateWindows(QString programFolder) : programFolder_(std::move(programFolder)) {}

bool TUpdateWindows::ShowUpdate(const reUpdate& params, const TUpdateOffer& offer) {
  TfrmUpdate form(programFolder_);
  form.session().rebootUpdate = false;
  form.session().UpdatePram = params;
  form.SetOffer(offer);
  return Run(form);
}

bool TUpdateWindows::RunForced(const reUpdate& params) {
  TfrmUpdate form(programFolder_);
  form.session().rebootUpdate = true;
  form.session().UpdatePram = params;
  return Run(form);
}

bool TUpdateWindows::Run(TfrmUpdate& form) {
  form.LoadUI();
  if (prepare) prepare(form);
  return form.exec() == QDialog::Accepted;
}
