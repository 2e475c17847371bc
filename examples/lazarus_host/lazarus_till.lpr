{ lazarus_till: a till program with a Lazarus (LCL, GTK 2) main window of its own that calls the
  Kpf05520 module from a button, through bindings/pascal (kpf05520lcl's KpfCallModal), shows the
  returned lines in a TDBGrid on the TBufDataset that KpfLoadPacket fills, and stores them with
  "Gravar" in one sqldb transaction.

    lazarus_till [--lib-dir DIR] [--home DIR] [--connection TEXT] [--timer-call-ms N]
                 [--disableaccurateframe] BRANCH TILL ZCOUNTER YYYY-MM-DD

  After each call it prints CONFIRMED or NOT CONFIRMED and one ROW line per row, as kpfhost_pascal
  does; after "Gravar", STORED INSERTED DELETED or STORE FAILED. --timer-call-ms: a timer calls
  the entry again N ms into each call, which the module refuses (TIMER FAILED ...).
  --disableaccurateframe is the LCL's: give it where no window manager runs, or the GTK 2
  widgetset spends about 30 s measuring the frame of a window that nobody decorates.

  Build (see examples/CMakeLists.txt): fpc -dLCL -dLCLgtk2 with the LCL's unit folders and
  -Fu<repository>/bindings/pascal -Fu<repository>/examples/pascal_host. }
program lazarus_till;

{$mode objfpc}{$H+}

uses
  Interfaces, Forms, SysUtils, kpf05520, kpftill, caixa;

procedure Usage(const Why: string);
begin
  WriteLn(StdErr, 'lazarus_till: ', Why);
  WriteLn(StdErr, 'usage: lazarus_till [--lib-dir DIR] [--home DIR] [--connection TEXT] ',
    '[--timer-call-ms N] [--disableaccurateframe] BRANCH TILL ZCOUNTER YYYY-MM-DD');
  Halt(2);
end;

var
  LibDir, Home, Connection, A: string;
  Key: array[0..3] of string;
  TimerCallMs, I, Positional: Integer;
begin
  LibDir := ExtractFileDir(ExpandFileName(ParamStr(0)));
  Home := '';
  Connection := '';
  TimerCallMs := -1;
  Positional := 0;
  I := 1;
  while I <= ParamCount do
  begin
    A := ParamStr(I);
    if (A = '--lib-dir') or (A = '--home') or (A = '--connection') or (A = '--timer-call-ms') then
    begin
      if I = ParamCount then
        Usage(A + ' needs a value');
      Inc(I);
      if A = '--lib-dir' then
        LibDir := ParamStr(I)
      else if A = '--home' then
        Home := ParamStr(I)
      else if A = '--connection' then
        Connection := ParamStr(I)
      else if not TryStrToInt(ParamStr(I), TimerCallMs) then
        Usage('--timer-call-ms takes a number');
    end
    else if A = '--disableaccurateframe' then
      // The LCL's own option: Application reads it.
    else if Positional < 4 then
    begin
      Key[Positional] := A;
      Inc(Positional);
    end
    else
      Usage('too many arguments');
    Inc(I);
  end;
  if Positional <> 4 then
    Usage('give BRANCH TILL ZCOUNTER YYYY-MM-DD');

  // The LCL first: the module's Qt then shares GLib's main loop with GTK, and the LCL
  // application's loop runs the screen too.
  Application.Initialize;
  StartModule(LibDir, Home, Connection);
  Application.CreateForm(TfrmCaixa, frmCaixa);
  frmCaixa.edtFilial.Text := Key[0];
  frmCaixa.edtCaixa.Text := Key[1];
  frmCaixa.edtReducaoZ.Text := Key[2];
  frmCaixa.edtData.Text := Key[3];
  frmCaixa.TimerCallMs := TimerCallMs;
  Application.Run;
  KpfFinalize();
end.
