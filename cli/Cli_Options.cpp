#include "Cli_Options.h"

#include <CLI/CLI.hpp>

#include <cctype>
#include <iostream>

#include "Number_List.h"

int style_from_text(const std::string& text) {
  if (text.size() == 1 && text[0] >= '0' && text[0] <= '3') return text[0] - '0';
  auto lower = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  };
  for (int style = 0; style <= 3; ++style)
    if (lower(text) == lower(style_names[style])) return style;
  return -1;
}

namespace {

// The options of "generate" on its subcommand; the returned option is --json.
CLI::Option* add_generate_options(CLI::App& generate, GenerateOptions& options, uint32_t& seed,
                                  CLI::Option*& seed_option, std::string& style) {
  seed_option = generate.add_option("--seed", seed, "Seed of the random generator (default: from the clock)");
  generate.add_option("--level", options.level,
                      "Level record to build (default: a random choice among 3, 4, 6 and 8)")
      ->check(CLI::PositiveNumber);
  generate.add_option("--png", options.png_file, "Write the map picture to this PNG file");
  generate.add_option("--ascii", options.ascii_file, "Write the map as text, one character per cell");
  CLI::Option* json =
      generate
          .add_option("--json", options.json_file,
                      "Write the map as JSON to this file; without a file name, a JSON file beside every PNG")
          ->expected(0, 1);
  generate.add_option("--count", options.count, "Number of maps, written into --folder by date and time")
      ->check(CLI::Range(1, 10000));
  generate.add_option("--folder", options.folder,
                      "Folder for maps named by date and time (default: Dungeon_Maps in the program folder)");
  generate.add_option("--size", options.size, "Picture size: 640, 896, 1280, 1536, 1920 or a multiple of the map size")
      ->check(CLI::Range(1, largest_picture_size));
  generate.add_option("--style", style,
                      "Kavrel, \"Tabletop RPG black\", \"Tabletop RPG blue\", \"Tabletop RPG white\" or 0..3");
  generate.add_flag("--grid,!--no-grid", options.map.grid, "Grid lines (default on)");
  generate.add_flag("--area-numbers,!--no-area-numbers", options.map.area_numbers, "Area numbers (default on)");
  generate.add_flag("--block-walls,!--no-block-walls", options.map.block_walls, "Block walls (default off)");
  generate.add_flag("--flavour-walls,!--no-flavour-walls", options.map.flavour_walls, "Flavour walls (default off)");
  generate.add_flag("--line-walls,!--no-line-walls", options.map.line_walls, "Line walls (default on)");
  generate.add_flag("--grain,!--no-grain", options.map.grain, "Grain (default off)");
  generate.add_option("--program-folder", options.program_folder,
                      "Folder holding Data/ (default: the folder of this program)");
  return json;
}

}  // namespace

bool parse_command_line(int argc, char** argv, CommandLine& command_line, int& exit_code) {
  CLI::App app{"Kavrel dungeon generator on the command line", "dungeon-cli"};
  app.require_subcommand(1);
  CLI::App* generate = app.add_subcommand("generate", "Generate dungeon maps and write them as PNG, text or JSON");
  CLI::App* catalogue =
      app.add_subcommand("catalogue", "Print one line per level and seed: area and door counts and a cell digest");
  GenerateOptions& options = command_line.generate;

  uint32_t seed = 0;
  std::string style = style_names[options.map.style];
  CLI::Option* seed_option = nullptr;
  CLI::Option* json_option = add_generate_options(*generate, options, seed, seed_option, style);

  std::string levels = "3,4,6,8", seeds = "1-10";
  catalogue->add_option("--levels", levels, "Level records, e.g. 3,4,6,8 or 1-12 (default 3,4,6,8)");
  catalogue->add_option("--seeds", seeds, "Seeds, e.g. 1-10 or 5,17,100-120 (default 1-10)");
  catalogue->add_option("--program-folder", command_line.catalogue.program_folder,
                        "Folder holding Data/ (default: the folder of this program)");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::cout << app.help();
    exit_code = 0;
    return false;
  } catch (const CLI::CallForAllHelp&) {
    std::cout << app.help("", CLI::AppFormatMode::All);
    exit_code = 0;
    return false;
  } catch (const CLI::ParseError& error) {
    std::cerr << "dungeon-cli: " << error.what() << "\n";
    exit_code = 2;
    return false;
  }

  auto refuse = [&exit_code](const std::string& reason) {
    std::cerr << "dungeon-cli: " << reason << "\n";
    exit_code = 2;
    return false;
  };
  if (catalogue->parsed()) {
    command_line.command = Command::catalogue;
    std::vector<uint32_t> numbers;
    if (!parse_number_list(levels, 1, 255, numbers))
      return refuse("--levels \"" + levels + "\" is not a list of levels 1..255 such as 3,4,6,8");
    command_line.catalogue.levels.assign(numbers.begin(), numbers.end());
    if (!parse_number_list(seeds, 0, UINT32_MAX, command_line.catalogue.seeds))
      return refuse("--seeds \"" + seeds + "\" is not a list of seeds such as 1-10 (at most " +
                    std::to_string(largest_number_list) + ")");
    if (command_line.catalogue.levels.size() * command_line.catalogue.seeds.size() > largest_number_list)
      return refuse("a catalogue lists at most " + std::to_string(largest_number_list) + " maps");
    return true;
  }
  command_line.command = Command::generate;
  if (seed_option->count() > 0) options.seed = seed;
  options.json_beside = json_option->count() > 0 && options.json_file.empty();
  options.map.style = style_from_text(style);
  if (options.map.style < 0) return refuse("unknown style \"" + style + "\"");
  if (options.count > 1 && !options.png_file.empty())
    return refuse("--png names one file; with --count the maps go into --folder");
  if (options.count > 1 && !options.ascii_file.empty())
    return refuse("--ascii names one file; it cannot be used with --count");
  if (options.count > 1 && !options.json_file.empty())
    return refuse("--json FILE names one file; with --count give --json alone for a JSON beside every PNG");
  if (options.json_beside && options.png_file.empty() && !options.ascii_file.empty())
    return refuse("--json without a file name goes beside the PNG; add --png or name the JSON file");
  return true;
}
