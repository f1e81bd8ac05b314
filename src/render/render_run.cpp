#include "render/render_run.h"

#include <exception>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "base/D_Error.h"
#include "base/print_answer.h"
#include "base/safe_file.h"
#include "base/settings.h"
#include "data/d_bytesource.h"
#include "draw/D_Math.h"
#include "draw/d_vector.h"
#include "pages/d_graphpageset.h"
#include "render/render_names.h"
#include "render/render_progress.h"
#include "render/render_report.h"
#include "render/render_writer.h"
#include "render/vector_pdf.h"

namespace pw::render {

namespace {

constexpr const char* Main_Section = "Plotwright";

// What the run built, kept whatever stopped it.
struct Run_State {
  std::unique_ptr<Canvas_Array> Canvases = std::make_unique<Canvas_Array>();
  Vector_Backends Vectors;
  std::unique_ptr<Page_Writer> Writer;
  std::unique_ptr<TC_Graph_Page_Set> Pages;
  bool Drawing_Started = false;
};

// The main-section keys the window keeps for the whole run; the renderer reads them the same
// way so a setup behaves alike in both programs.
void Read_Main_Section(const TC_Ini_File& ini) {
  const std::int32_t pix_off = ini.Get_Integer(Main_Section, "PixOff", PixOff);
  if (pix_off >= 0 && pix_off <= 0xFFFF) PixOff = pix_off;
  Editor_Command = ini.Get_String(Main_Section, "Editor", Editor_Command);
}

// Loads the data file, or standard input for "-": read to its end before anything is drawn.
// Standard input from a pipe has no size to measure progress by; the bytes read so far are
// shown instead.
void Load_Data(const Render_Options& o, TC_Graph_Page_Set& pages, Progress_Line& progress) {
  if (o.Data_File != Standard_Input_Name) {
    pages.Load_Data(o.Data_File);
    return;
  }
  const std::unique_ptr<TC_File_Source> input = TC_File_Source::Standard_Input(o.Data_File);
  // The hook reads `input`: it is put back before `input` goes, error or not.
  struct Restore {
    TC_Graph_Page_Set& pages;
    Work_Progress_Fn saved;
    ~Restore() { pages.Progress = std::move(saved); }
  } restore{pages, pages.Progress};
  if (input->Total_Size() == 0) {
    pages.Progress = [&progress, &input](const std::string& what, double fraction) {
      if (what != "Loading") {
        progress.Update(what, fraction);
        return;
      }
      const auto megabytes = static_cast<unsigned long long>(input->Bytes_Read() >> 20);
      progress.Update("Loading standard input, " + std::to_string(megabytes) + " MB read", -1);
    };
  }
  pages.Load_Data_Stream(*input, o.Data_File);
}

// The page set's steps in the window's order, on canvases of the asked size.
void Load_And_Draw(const Render_Options& o, Run_State& state, Progress_Line& progress,
                   const Run_Hooks& hooks) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(o.Setup_File, ec)) {
    throw Error("File not found: " + o.Setup_File);
  }
  TC_Ini_File ini(o.Setup_File);
  Read_Main_Section(ini);
  std::vector<std::string> names(Max_Pages);
  const int listed = ini.Read_List({"Pages"}, "Pages", names, Max_Pages);
  // Only canvases that get a page need pixels, and only from the moment their page is drawn
  // to the moment it is written. The first has them now: a canvas too large for memory
  // stops the run before the data are read.
  if (listed > 0) (*state.Canvases)[0].Image.Set_Size(o.Width, o.Height);
  for (int k = 1; k < listed; ++k) (*state.Canvases)[k].Image.Set_Size_Only(o.Width, o.Height);
  if (Is_Vector(o.Format)) {
    for (int k = 0; k < listed; ++k) {
      TC_Canvas& canvas = (*state.Canvases)[k];
      state.Vectors[k] = std::make_unique<TC_Vector_Backend>(canvas.Image, o.Vector_Limit);
      canvas.Backend = state.Vectors[k].get();
    }
  }

  state.Pages = std::make_unique<TC_Graph_Page_Set>(*state.Canvases);
  state.Pages->Progress = [&progress](const std::string& what, double fraction) {
    progress.Update(what, fraction);
  };
  state.Writer = std::make_unique<Page_Writer>(o, *state.Canvases, state.Vectors);
  state.Pages->Page_Starting = [&writer = *state.Writer](int k) { writer.Page_Starting(k); };
  state.Pages->Page_Finished = [&writer = *state.Writer](int k) { writer.Page_Finished(k); };
  state.Writer->Redraw = [&pages = *state.Pages](int k) {
    pages.Page(k).Draw_Page(pages.Buffer());
  };
  state.Pages->Read_Setup(ini, "Pages");
  if (hooks.Load_Data) {
    hooks.Load_Data(*state.Pages);
  } else {
    Load_Data(o, *state.Pages, progress);
  }
  state.Drawing_Started = true;
  state.Pages->Draw_Pages();
}

// Pages drawn completely, plus the page an error interrupted once its canvas had pixels.
int Pages_To_Write(const Run_State& state, bool failed) {
  if (!state.Pages || !state.Drawing_Started) return 0;
  int n = state.Pages->Pages_Drawn();
  if (failed && n < state.Pages->Page_Count() && (*state.Canvases)[n].Image.Has_Pixels()) ++n;
  return n;
}

// The folder for the pictures, made when missing: "Cannot create folder DIR: reason".
void Make_Out_Dir(const std::string& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) throw Error("Cannot create folder " + dir + ": " + ec.message());
}

// The one PDF of pages 1..count.
void Write_Document(const Render_Options& o, Run_State& state, int count) {
  std::vector<const Vector_Page*> pages;
  for (int k = 1; k <= count; ++k) pages.push_back(&state.Vectors[k - 1]->Page());
  Write_PDF(pages, Document_File_Name(o.Out_Dir, o.Data_File, "pdf"));
}

// "Cannot write file NAME: reason", the reason being the system's; a failed write leaves any
// earlier report in place and no partial file. Standard output ("-") that cannot take the
// report gives "Cannot write file -: reason".
void Write_Report(const Render_Options& o, Run_State& state) {
  if (o.Report_File.empty()) return;
  Report_Context context{o.Setup_File, o.Data_File, o.Width, o.Height,
                         state.Pages ? state.Pages->Pages_Drawn() : 0};
  const std::string text =
      Make_Report(context, state.Pages.get())
          .dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) +
      "\n";
  if (o.Report_File == "-") {
    Write_Standard_Output(text);
    return;
  }
  Write_Text_File(o.Report_File, text);
}

void Print_Error(std::FILE* err, const std::string& prefix, const std::string& message) {
  std::string line = Shown_Message(message);
  for (char& c : line) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  // Written whole: a message may quote a field holding a NUL, where "%s" would stop.
  line = prefix + line + '\n';
  std::fwrite(line.data(), 1, line.size(), err);
  std::fflush(err);
}

// The run's error line. Only the first error is printed: the one that stopped the load or the
// drawing, or else the first picture or report that could not be written. A later failure is
// a consequence or a lesser matter and would only bury the line the user must read.
class Error_Line {
 public:
  Error_Line(std::FILE* err, Progress_Line& progress, const Run_Hooks& hooks)
      : err_(err), progress_(progress), hooks_(hooks) {}

  // Runs `step`; on an exception prints its one-line message unless an earlier step already
  // printed one, and returns false.
  template <typename Step>
  bool Guarded(Step step) {
    try {
      step();
      return true;
    } catch (const Error& e) {
      Print(e.Fatal() ? "fatal error: " : "error: ", e.Message());
    } catch (const std::bad_alloc&) {
      Print("error: ", "Out of memory");
    } catch (const std::exception& e) {
      Print("error: ", e.what());
    }
    return false;
  }

 private:
  void Print(const std::string& prefix, const std::string& message) {
    progress_.Clear();
    if (printed_) return;
    printed_ = true;
    if (hooks_.Show_Error && !hooks_.Show_Error(prefix + Shown_Message(message))) return;
    Print_Error(err_, prefix, message);
  }

  std::FILE* err_;
  Progress_Line& progress_;
  const Run_Hooks& hooks_;
  bool printed_ = false;
};

}  // namespace

int Run(const Render_Options& options, std::FILE* err, bool show_progress,
        const Run_Hooks& hooks) {
  Ignore_Limits = options.Ignore_Limits;
  Check_Precision();
  Set_Fill_Patterns(Default_Fill_Patterns());

  Progress_Line progress(err, show_progress);
  Error_Line errors(err, progress, hooks);
  Run_State state;
  const bool ok = errors.Guarded([&] { Load_And_Draw(options, state, progress, hooks); });
  progress.Clear();
  // After a failure the pictures and the report are still written as they stand. Each
  // picture and the report stand alone: one that cannot be written costs only itself, and a
  // folder that cannot be made costs the pictures, not the report. Pictures written while the
  // drawing went on held their failures (and the folder's) until now, after the drawing's own.
  const int count = Pages_To_Write(state, !ok);
  bool written = true;
  auto report = [&](const std::exception_ptr& failure) {
    if (failure && !errors.Guarded([&] { std::rethrow_exception(failure); })) written = false;
  };
  if (options.Format == Image_Format::Pdf) {
    const bool folder = count == 0 || errors.Guarded([&] { Make_Out_Dir(options.Out_Dir); });
    if (!folder) written = false;
    if (folder && count > 0 && !errors.Guarded([&] { Write_Document(options, state, count); }))
      written = false;
  } else if (state.Writer) {
    state.Writer->Write_Up_To(count);
    report(state.Writer->Folder_Failure());
    for (int k = 1; k <= count; ++k) report(state.Writer->Failure(k));
  }
  if (!errors.Guarded([&] { Write_Report(options, state); })) written = false;
  if (hooks.Finished) hooks.Finished(state.Pages.get(), ok && written);
  return ok && written ? 0 : 1;
}

}  // namespace pw::render
