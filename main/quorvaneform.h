// The main window. Data flows one way:
//   edAddress, edMask  ->  InetAddr / GetMask (core)  ->  CalculateSubnet (core)  ->  the seventeen fields
// Every command that changes the inputs ends by triggering actCalculate; nothing calculates another way.
#pragma once

#include <QPointer>
#include <array>

#include "core/mask.h"
#include "forms/frmipv6.h"
#include "platform/launchfeedback.h"
#include "settings/formini.h"
#include "widgets/action.h"
#include "widgets/bars.h"
#include "widgets/combobox.h"
#include "widgets/edit.h"
#include "widgets/labelededit.h"
#include "widgets/menu.h"
#include "widgets/updown.h"

namespace quorvane {

class TIPAndMask;
class TfrmPlanner;

class TQuorvaneForm : public TFormINI {
  Q_OBJECT
 public:
  explicit TQuorvaneForm(QWidget* parent = nullptr);
  ~TQuorvaneForm() override;

  // The start-up sequence: runs once, after the controls exist and before the window is first shown. An
  // address argument from the command line (see SplitAddressArgument) fills the inputs in place of the
  // machine's own address, and is calculated as that would be.
  void FormCreate(const QString& argument = QString());

  // Commands.
  void actCalculateExecute();
  void actClearAllExecute();
  void actSetClassAExecute();
  void actSetClassBExecute();
  void actSetClassCExecute();
  void actExitExecute();
  // Reference dialogs and own addresses (dialogcommands.cpp).
  void actShowInfoExecute();
  void actShowDiapExecute();
  void actMyParametersExecute();
  // Links and the about box (linkcommands.cpp).
  void actHelpExecute();
  void actFAQExecute();
  void actHomeExecute();
  void actWhatNewExecute();
  void actMailExecute();
  void actAboutExecute();
  // The subnet planner (plannercommands.cpp): one window, made when first asked for, prefilled with a network
  // ("10.0.0.0/8") when one is given. A row chosen there comes back here and is calculated.
  void actPlannerExecute();
  void ShowPlanner(const QString& network);
  TfrmPlanner* planner() const { return m_planner; }
  // The network of the inputs as "address/prefix", empty when they do not calculate.
  QString currentNetwork();
  // The results as text and the address details (resultcommands.cpp).
  void actCopyResultsExecute();
  void actAddressDetailsExecute();
  // The labelled lines that Copy results puts on the clipboard; empty when there are no results.
  QString ResultsText() const;
  // The Tools menu (toolcommands.cpp).
  void actIPv6Execute();
  // The IPv6 window: created on first use, shown and raised; a text that is not empty goes into its
  // edV6Address and is calculated.
  void ShowIPv6(const QString& addressText);
  // The IPv6 window once it was first opened, null before.
  TfrmIPv6* ipv6Window() const { return m_ipv6; }
  // With one address: takes it. With several: lets the user choose one. True when one was chosen.
  bool SelectIpAndMask(TIPAndMask& addresses, QString& address, QString& mask);
  // The language menu (languagemenu.cpp): one radio item per file of the languages folder; choosing one
  // switches every open form to it at once.
  void ListLang();
  void ChangeLang(QAction* item);
  // Input editing.
  void edAddressChange();
  // A text pasted into edAddress that holds an address and a mask in one piece ("192.168.1.0/24",
  // "192.168.1.0 255.255.255.0") fills both inputs: the address into edAddress and the mask, as written,
  // into edMask. False, and nothing changed, for any other text, which is pasted as usual.
  bool pasteAddressAndMask(const QString& text);
  void udMaskChangingEx(bool& allowChange, int newValue, UpDownDirection direction);
  void cbTypeChange();

  // The mask in edMask (kInvalid when rejected); records the form it was written in. Throws ConvertError
  // for a prefix whose number does not convert.
  Ipv4 GetMask();
  // The index of the entry selected in cbType, -1 when none is.
  int GetTypeConvert() const;
  MaskForm maskForm() const { return FMaskForm; }

  TAction* command(const char* name) const;
  // The two inputs, for tests and benchmarks that type into them.
  TLabeledEdit* addressField() const { return edAddress; }
  TLabeledEdit* maskField() const { return edMask; }

 Q_SIGNALS:
  // A later start of the program handed over its argument, and the window has taken it.
  void handOffReceived(const QString& argument);

 public:
  // The running instance was found by a later start: come to the front, restored, with the later start's
  // launch tokens (which end its launch feedback). An address argument is taken as at the start: it fills
  // the inputs and is calculated.
  void receiveHandOff(const QString& argument, const LaunchTokens& tokens = LaunchTokens());

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createCommands();
  void createMenu();
  void createToolBar();
  void createRequestGroup(QWidget* client);
  void createInputGroup(QWidget* client);
  void createResultGroup(QWidget* client);
  void selectTypeConvert();
  void clearResults();
  void rejectInput(QLineEdit* field, const QString& message);
  // Reads both inputs as Calculate does; on a faulty one shows Calculate's message, selects that input and
  // gives false.
  bool readRequest(Ipv4& address, Ipv4& mask);
  void setClassMask(const char* mask);
  // Writes the address and mask of a command-line argument into the inputs.
  void takeAddressArgument(const QString& argument);
  // Connects a command or control signal to a handler that runs guarded against unhandled errors.
  template <typename Signal, typename Sender>
  void bind(Sender* sender, Signal signal, void (TQuorvaneForm::*handler)());

  MaskForm FMaskForm = MaskForm::Dotted;
  QPointer<TfrmIPv6> m_ipv6;

  TToolBar* ToolBar1 = nullptr;
  TStatusBar* StatusBar1 = nullptr;
  TMenu* mnChangeLang = nullptr;
  QActionGroup* m_languages = nullptr;
  TLabeledEdit* edAddress = nullptr;
  TLabeledEdit* edMask = nullptr;
  TUpDown* udMask = nullptr;
  TComboBox* cbType = nullptr;
  // The seventeen result fields, in the order in which they are emptied.
  std::array<TEdit*, 17> m_results{};
  TfrmPlanner* m_planner = nullptr;
  TEdit *edInputAddress, *edInputAddressBIN, *edInputMask, *edInputMaskBIN, *edInputMaskInverse,
      *edInputMaskInverseBIN, *edInputPrefix, *edNetwork, *edNetworkBIN, *edBroadcast, *edBroadcastBIN,
      *edMaxIP, *edMaxIPBIN, *edMinIP, *edMinIPBIN, *edHostNum, *edHostRange;
};

// The one main window of the running program (null before it exists and after it is gone).
TQuorvaneForm* QuorvaneForm();

}  // namespace quorvane
