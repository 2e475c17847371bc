{ The Kpf05520 entry for Lazarus (LCL) hosts: the module's screen as a modal window of the
  application, as ShowModal makes a form one. Needs the LCL; on GTK 2 (-dLCLgtk2) it also names
  the host's window to the module. }
unit kpf05520lcl;

{$mode objfpc}{$H+}

interface

uses
  Classes, SysUtils, Forms, kpf05520;

{ KpfCall with the application's forms disabled while the screen is up, so that a click on them
  does nothing, as under ShowModal. The active form is named as the host's window: a window
  manager keeps the screen above it (X11), and it is active again, with the keyboard focus, once
  the screen closes. The host's timers and painting go on during the call; a timer that calls
  the entry meanwhile gets KPF_FAILED (the entry is not re-entrant). }
function KpfCallModal(const Branch, Till, ZCounter: AnsiString; ZDate, ReferenceDate: TDateTime;
  const SourcePacket: AnsiString; SourceRecord: Integer; out ResultPacket: AnsiString;
  out ErrorText: AnsiString): Integer;

implementation

{$IFDEF LCLgtk2}
uses
  gtk2, gdk2, gdk2x;
{$ENDIF}

{ The form's native window id: its X11 window on GTK 2; 0 where it has none to give. }
function NativeWindow(Form: TCustomForm): PtrUInt;
begin
  Result := 0;
  {$IFDEF LCLgtk2}
  if Form.HandleAllocated and (PGtkWidget(Form.Handle)^.window <> nil) then
    Result := GDK_WINDOW_XID(PGtkWidget(Form.Handle)^.window);
  {$ENDIF}
end;

var
  { Calls under way: a host timer may call during a call, and is refused; only the outermost
    call names the host's window and gives it back. }
  CallDepth: Integer = 0;

function KpfCallModal(const Branch, Till, ZCounter: AnsiString; ZDate, ReferenceDate: TDateTime;
  const SourcePacket: AnsiString; SourceRecord: Integer; out ResultPacket: AnsiString;
  out ErrorText: AnsiString): Integer;
var
  Host: TCustomForm;
  Disabled: TList;
begin
  Host := nil;
  if CallDepth = 0 then
    Host := Screen.ActiveCustomForm;
  if Host <> nil then
    KpfDll_SetHostWindow(NativeWindow(Host));
  Inc(CallDepth);
  Disabled := Screen.DisableForms(nil);
  try
    Result := KpfCall(Branch, Till, ZCounter, ZDate, ReferenceDate, SourcePacket, SourceRecord,
      ResultPacket, ErrorText);
  finally
    Screen.EnableForms(Disabled);
    Dec(CallDepth);
    if CallDepth = 0 then
      // The form may go away after the call: the module must not hold its window.
      KpfDll_SetHostWindow(0);
    if (Host <> nil) and Host.CanFocus then
    begin
      Host.BringToFront;
      Host.SetFocus;
    end;
  end;
end;

end.
