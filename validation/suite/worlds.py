"""Small studies for the validation suite, written as the system's ordinary input files.

Every world is a rectangle of habitable cells of one vegetation class (uniform carrying capacity K
and friction F), model 1 (even migrants), one population and one source. Cells have side 1 and the
lower-left corner at (0, 0), so the centre of the cell at row r (0 = north) and column c is
y = nrows - r - 0.5, x = c + 0.5.
"""

from __future__ import annotations

import dataclasses
import os


@dataclasses.dataclass
class Source:
    row: int
    col: int
    size: int
    size_before_expansion: int = 0  # 0: no resize at generation 0
    bottleneck_duration: int = 0
    size_before_bottleneck: int = 0  # 0: no bottleneck


@dataclasses.dataclass
class World:
    name: str
    nrows: int
    ncols: int
    K: int
    F: float
    growth_rate: float
    migration_rate: float
    end_time: int
    sources: list
    # Places of the arrival-cell file, as (name, row, col).
    places: list = dataclasses.field(default_factory=list)

    def centre(self, row: int, col: int) -> tuple[float, float]:
        """(y, x) of the centre of a cell."""
        return self.nrows - row - 0.5, col + 0.5

    def cell_index(self, row: int, col: int) -> int:
        """Cells are numbered in row order over the land cells; every cell is land here."""
        return row * self.ncols + col


@dataclasses.dataclass
class Sample:
    row: int
    col: int
    genes: int


@dataclasses.dataclass
class Chromosome:
    """One chromosome: a DNA block (JC69: equal base frequencies and exchange rates), a block of
    single-step microsatellites without range constraint, and the recombination rate between
    adjacent loci of each block."""

    dna_sites: int = 1
    dna_rate: float = 0.0
    microsats: int = 0
    microsat_rate: float = 0.0
    recombination: float = 0.0


def _write(path: str, text: str) -> None:
    with open(path, "w", encoding="ascii") as f:
        f.write(text)


def _grid(world: World, value: int) -> str:
    lines = [
        f"ncols {world.ncols}",
        f"nrows {world.nrows}",
        "xllcorner 0",
        "yllcorner 0",
        "cellsize 1",
        "NODATA_value -9999",
    ]
    row = " ".join([str(value)] * world.ncols)
    lines += [row] * world.nrows
    return "\n".join(lines) + "\n"


def write_world(world: World, directory: str) -> str:
    """Writes the landscape, tables, sources and places of `world` into `directory`; returns the
    directory. The settings file is written per run by write_settings."""
    os.makedirs(directory, exist_ok=True)
    _write(os.path.join(directory, "vegetation.asc"), _grid(world, 1))
    _write(os.path.join(directory, "veg2k.txt"), "1\n0 veg2k_g0.txt\n")
    _write(os.path.join(directory, "veg2k_g0.txt"), f"1 {world.K} habitat\n")
    _write(os.path.join(directory, "veg2f.txt"), "1\n0 veg2f_g0.txt\n")
    _write(os.path.join(directory, "veg2f_g0.txt"), f"1 {world.F!r} habitat\n")
    lines = [str(len(world.sources))]
    for i, s in enumerate(world.sources):
        y, x = world.centre(s.row, s.col)
        lines.append(
            f"S{i + 1} {s.size} {y} {x} {s.size_before_expansion} {s.bottleneck_duration} "
            f"{s.size_before_bottleneck} 0 0 0"
        )
    _write(os.path.join(directory, "sources.txt"), "\n".join(lines) + "\n")
    if world.places:
        lines = [str(len(world.places))]
        for name, row, col in world.places:
            y, x = world.centre(row, col)
            lines.append(f"{name} 0 {y} {x} 0")
        _write(os.path.join(directory, "places.col"), "\n".join(lines) + "\n")
    return directory


def write_samples(world: World, samples: list, path: str) -> None:
    lines = [str(len(samples))]
    for i, s in enumerate(samples):
        y, x = world.centre(s.row, s.col)
        lines.append(f"S{i + 1} {s.genes} 0 {y} {x}")
    _write(path, "\n".join(lines) + "\n")


def write_genetics(chromosome: Chromosome, path: str) -> None:
    blocks = [
        f"DNA {chromosome.dna_sites} {chromosome.recombination!r} {chromosome.dna_rate!r} "
        "0.25 0.25 0.25 0.25 1 1 1 1 1 1"
    ]
    if chromosome.microsats > 0:
        blocks.append(
            f"MICROSAT {chromosome.microsats} {chromosome.recombination!r} "
            f"{chromosome.microsat_rate!r} 0 0"
        )
    text = "1\n#chromosome 1\n" + f"{len(blocks)}\n" + "\n".join(blocks) + "\n"
    _write(path, text)


def write_settings(
    world: World,
    path: str,
    sample_file: str = "",
    genetic_file: str = "",
    simulations: int = 1,
    max_generations: int = 10**8,
    outputs: bool = False,
) -> None:
    """The settings of a run over `world` (written by write_world in the same directory)."""
    lines = [
        "PresVegetationFile = vegetation.asc",
        "Veg2KFile = veg2k.txt",
        "Veg2FFile = veg2f.txt",
        "FrictionChoice = 0",
        "PopDensityFile = sources.txt",
        "DoublePopulationMode = 0",
        "ChosenDemographicModel = 1",
        f"GrowthRate = {world.growth_rate!r}",
        f"MigrationRate = {world.migration_rate!r}",
        f"EndTime = {world.end_time}",
        "GenerationTime = 1",
        f"RealBPTime = {-world.end_time}",
        f"GenerateOutputOccupationASCII = {1 if outputs else 0}",
        "GenerateOutputMDensityBMP = 0",
        "GenerateOutputOccupationBMP = 0",
        "GenerateOutputMigrationBMP = 0",
        "GenerateOutputMDensityASCII = 0",
        "GenerateOutputMigrationASCII = 0",
        f"NumGeneticSimulations = {simulations}",
        f"MaxNumGenerations = {max_generations}",
        "GenotypicData = 0",
        "NexusFile = 0",
        "GenealogiesFile = 0",
        "TemporalCoalescenceFile = 1",
        "ImmigDistrFile = 0",
    ]
    if world.places:
        lines.append("ArrivalCellFile = places.col")
    if sample_file:
        lines.append(f"SampleFile = {sample_file}")
    if genetic_file:
        lines.append(f"GeneticFile = {genetic_file}")
    _write(path, "\n".join(lines) + "\n")
