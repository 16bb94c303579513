#include "genetics/vcf.h"

#include <charconv>

#include "coalescent/deme_collection.h"
#include "genetics/mutation_models.h"

namespace orvantis {

namespace {

// DNA states in the alphabetical order of their bases (the states are those of kDnaLetters).
constexpr int kDnaStatesByBase[4] = {0, 2, 1, 3};
constexpr int kDnaStates = 4;
// SNP states: the derived state; 0 and 2 are ancestral (2 when no branch met the minimum
// frequency, see mutation_snp.cpp).
constexpr int kSnpDerived = 1;

void appendInt(std::string& out, long long value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

// The state of a gene at a locus, -1 when the gene holds none there or it is not one of the
// `states` states of the type.
int geneState(const TTree& tree, TNodeRef gene, int locus, int states) {
  if (!tree.isLive(gene)) return -1;
  const TNode& node = tree.node(gene);
  if (locus >= node.numSites || static_cast<std::size_t>(locus) >= node.data.size()) return -1;
  const int state = node.data[static_cast<std::size_t>(locus)];
  return state >= 0 && state < states ? state : -1;
}

}  // namespace

std::string vcfFileName(const std::string& baseName, int simulation) {
  return baseName + "_" + std::to_string(simulation) + ".vcf";
}

TVcfWriter::TVcfWriter(const TDemeCollection& collection, int genotypicData)
    : genotypic_(genotypicData != 0) {
  // The samples and genes in the order of the project file's [[Samples]].
  const std::vector<TSampleRef>& samples = collection.sampleList();
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const int number = samples[i].demeNumber;
    if (number < 0 || number >= collection.numSampleDemes()) continue;
    const TDeme* deme =
        collection.demeAt(collection.initialDemes()[static_cast<std::size_t>(number)]);
    const int k = samples[i].position;
    if (deme == nullptr || deme->sampleSize == 0 || k < 0 ||
        k >= static_cast<int>(deme->samples.size())) {
      continue;
    }
    int offset = 0;
    for (int s = 0; s < k; ++s) offset += deme->samples[static_cast<std::size_t>(s)].size;
    const int size = deme->samples[static_cast<std::size_t>(k)].size;
    const std::string prefix = std::to_string(i + 1) + "_";
    for (int g = offset; g < offset + size; ++g) {
      const TNodeRef tip = g < deme->sampleNodes.count() ? deme->sampleNodes[g] : kNoNode;
      if (!genotypic_) {
        names_.push_back(prefix + std::to_string(g + 1));
        genes_.push_back(tip);
      } else if ((g - offset) % 2 == 0) {
        names_.push_back(prefix + std::to_string((g - offset) / 2 + 1));
        genes_.push_back(tip);
        const int partner = g + 1;
        genes_.push_back(partner < offset + size && partner < deme->sampleNodes.count()
                             ? deme->sampleNodes[partner]
                             : kNoNode);
      }
    }
  }
  states_.resize(genes_.size());
}

void TVcfWriter::writeHeader(std::ostream& out, int simulation,
                             const std::vector<int>& chromosomeLoci) const {
  out << "##fileformat=VCFv4.2\n"
      << "##source=ORVANTIS 3.0\n"
      << "##orvantisSimulation=" << simulation << "\n"
      << "##orvantisLoci=polymorphic DNA and SNP loci only; microsatellite and RFLP loci are "
         "left out\n"
      << "##orvantisAlleles=DNA: REF is the ancestral base (the state at the root of the "
         "locus), ALT the other bases in the order A C G T; SNP: REF A stands for the ancestral "
         "state and ALT C for the derived state\n";
  for (std::size_t c = 0; c < chromosomeLoci.size(); ++c) {
    out << "##contig=<ID=" << c + 1 << ",length=" << chromosomeLoci[c] << ">\n";
  }
  out << "##FORMAT=<ID=GT,Number=1,Type=String,Description=\"Genotype\">\n"
      << "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT";
  for (const std::string& name : names_) out << '\t' << name;
  out << '\n';
}

int TVcfWriter::writeChromosome(std::ostream& out, const TDemeCollection& collection,
                                int chromosome) {
  const TTree& tree = collection.tree();
  const TGeneticParameters& parameters = collection.parameters();
  const int numLoci = parameters.numLoci();
  int records = 0;
  for (int locus = 0; locus < numLoci; ++locus) {
    const int type = parameters.dataType(locus);
    if (type != DNA && type != SNP) continue;
    const TNodeRef root =
        static_cast<std::size_t>(locus) < tree.roots.size() ? tree.roots[locus] : kNoNode;
    if (!tree.isLive(root)) continue;  // a locus without genealogy received no states

    // allele[state]: the allele number of each state, -1 for a state the genes do not carry.
    int allele[kDnaStates] = {-1, -1, -1, -1};
    char ref = 'A';  // a single base
    std::string alt;
    int carried = 0;
    if (type == DNA) {
      bool seen[kDnaStates] = {};
      for (std::size_t g = 0; g < genes_.size(); ++g) {
        states_[g] = geneState(tree, genes_[g], locus, kDnaStates);
        if (states_[g] >= 0 && !seen[states_[g]]) {
          seen[states_[g]] = true;
          ++carried;
        }
      }
      if (carried < 2) continue;
      int ancestral = geneState(tree, root, locus, kDnaStates);
      if (ancestral < 0) {  // the root holds no state: the first base the genes carry
        for (const int state : kDnaStatesByBase) {
          if (seen[state]) {
            ancestral = state;
            break;
          }
        }
      }
      allele[ancestral] = 0;
      ref = kDnaLetters[ancestral];
      int next = 1;
      for (const int state : kDnaStatesByBase) {
        if (!seen[state] || state == ancestral) continue;
        allele[state] = next++;
        if (!alt.empty()) alt += ',';
        alt += kDnaLetters[state];
      }
    } else {
      bool derived = false;
      bool ancestral = false;
      for (std::size_t g = 0; g < genes_.size(); ++g) {
        states_[g] = geneState(tree, genes_[g], locus, 3);
        derived = derived || states_[g] == kSnpDerived;
        ancestral = ancestral || (states_[g] >= 0 && states_[g] != kSnpDerived);
      }
      if (!derived || !ancestral) continue;
      allele[0] = 0;
      allele[1] = 1;
      allele[2] = 0;
      ref = 'A';
      alt.push_back('C');
    }

    line_.clear();
    appendInt(line_, chromosome);
    line_ += '\t';
    appendInt(line_, static_cast<long long>(locus) + 1);
    line_ += "\t.\t";
    line_ += ref;
    line_ += '\t';
    line_ += alt;
    line_ += "\t.\tPASS\t.\tGT";
    const auto appendAllele = [&](int state) {
      if (state < 0) {
        line_ += '.';
      } else {
        appendInt(line_, allele[state]);
      }
    };
    const std::size_t step = genotypic_ ? 2 : 1;
    for (std::size_t g = 0; g + step <= genes_.size(); g += step) {
      line_ += '\t';
      appendAllele(states_[g]);
      if (genotypic_) {
        line_ += '/';
        appendAllele(states_[g + 1]);
      }
    }
    line_ += '\n';
    out << line_;
    ++records;
  }
  return records;
}

}  // namespace orvantis
